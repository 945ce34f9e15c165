{ Components declared alike on the Pascal and the C++ side of the form-stream
  compatibility tests. Property order, defaults and defined properties here
  decide the bytes of a form stream, so the C++ declarations follow this unit. }
unit compat_components;

{$mode objfpc}{$H+}

interface

uses
  Classes, SysUtils, Types;

type
  { The movie player's stand-ins. }
  TvtPlugin = (vtDefault, vtNetscape, vtActiveX);
  TvtPaintEvent = procedure(ASender: TObject; const ARect: TRect) of object;
  TvtFSCommandEvent = procedure(ASender: TObject; const command, args: WideString) of object;
  TvtFlashCallEvent = procedure(ASender: TObject; const request: WideString) of object;

  { A movie kept in the form: a name and the file's bytes. }
  TvtFlashStream = class(TCollectionItem)
  private
    FStream: TMemoryStream;
    FStoreName: WideString;
    function GetFlashStore: WideString;
    procedure SetFlashStore(const AValue: WideString);
    procedure ReadData(AStream: TStream);
    procedure WriteData(AStream: TStream);
  protected
    procedure DefineProperties(Filer: TFiler); override;
  public
    constructor Create(ACollection: TCollection); override;
    destructor Destroy; override;
    { Replaces the movie's bytes. }
    procedure SetData(const ABytes: array of Byte);
    { The "FlashStream" payload this item writes. }
    function Payload: TBytes;
    property Stream: TMemoryStream read FStream;
    property StoreName: WideString read FStoreName;
  published
    property FlashStore: WideString read GetFlashStore write SetFlashStore;
  end;

  TvtFlashCollection = class(TCollection)
  private
    FOwner: TPersistent;
    function GetItem(Index: Integer): TvtFlashStream;
  protected
    function GetOwner: TPersistent; override;
  public
    constructor Create(AOwner: TPersistent);
    function Add: TvtFlashStream;
    property Items[Index: Integer]: TvtFlashStream read GetItem; default;
  end;

  TvtFlashList = class(TComponent)
  private
    FFlashs: TvtFlashCollection;
    procedure SetFlashs(AValue: TvtFlashCollection);
  protected
    procedure Loaded; override;
  public
    constructor Create(AOwner: TComponent); override;
    destructor Destroy; override;
  published
    property Flashs: TvtFlashCollection read FFlashs write SetFlashs;
  end;

  TvtFlashPlayerComp = class(TComponent)
  private
    FPlugin: TvtPlugin;
    FMovie: WideString;
    FSkin: AnsiString;
    FPause: Boolean;
    FVolume: Integer;
    FWidth: Integer;
    FHeight: Integer;
    FOnPaint: TvtPaintEvent;
    FOnFSCommand: TvtFSCommandEvent;
    FOnFlashCall: TvtFlashCallEvent;
  protected
    procedure Loaded; override;
  public
    constructor Create(AOwner: TComponent); override;
  published
    property Plugin: TvtPlugin read FPlugin write FPlugin default vtDefault;
    property Movie: WideString read FMovie write FMovie;
    property Skin: AnsiString read FSkin write FSkin;
    property Pause: Boolean read FPause write FPause;
    property Volume: Integer read FVolume write FVolume;
    property Width: Integer read FWidth write FWidth;
    property Height: Integer read FHeight write FHeight;
    property OnPaint: TvtPaintEvent read FOnPaint write FOnPaint;
    property OnFSCommand: TvtFSCommandEvent read FOnFSCommand write FOnFSCommand;
    property OnFlashCall: TvtFlashCallEvent read FOnFlashCall write FOnFlashCall;
  end;

  { Every value kind the form stream carries. }
  TCompatMode = (cmOff, cmOn, cmAuto);
  TCompatFlag = (cfA, cfB, cfC);
  TCompatFlags = set of TCompatFlag;

  TCompatItem = class(TCollectionItem)
  private
    FValue: Integer;
    FText: WideString;
  published
    property Value: Integer read FValue write FValue default 0;
    property Text: WideString read FText write FText;
  end;

  TCompatItems = class(TCollection)
  private
    function GetItem(Index: Integer): TCompatItem;
  public
    constructor Create;
    function Add: TCompatItem;
    property Items[Index: Integer]: TCompatItem read GetItem; default;
  end;

  { A component that may sit in a parent: a TCompatPanel or the form. Its
    parent is set by the reader (the parent being read, or the root at the
    top level) and lists it among its children. }
  TCompatControl = class(TComponent)
  private
    FParent: TComponent;
  protected
    procedure SetParentComponent(AValue: TComponent); override;
  public
    destructor Destroy; override;
    function HasParent: Boolean; override;
    function GetParentComponent: TComponent; override;
    procedure SetParent(AValue: TComponent);
    property Parent: TComponent read FParent;
  end;

  TCompatKinds = class(TCompatControl)
  private
    FSmall: Integer;
    FBig: Integer;
    FHuge: Int64;
    FMode: TCompatMode;
    FFlags: TCompatFlags;
    FEnabled: Boolean;
    FCaption: AnsiString;
    FTitle: WideString;
    FUTitle: UnicodeString;
    FItems: TCompatItems;
    FPartner: TComponent;
    FOnChange: TNotifyEvent;
    FData: TBytes;
    procedure SetItems(AValue: TCompatItems);
    procedure SetPartner(AValue: TComponent);
    procedure ReadData(AStream: TStream);
    procedure WriteData(AStream: TStream);
  protected
    procedure DefineProperties(Filer: TFiler); override;
    procedure Notification(AComponent: TComponent; Operation: TOperation); override;
    procedure Loaded; override;
  public
    constructor Create(AOwner: TComponent); override;
    destructor Destroy; override;
    property Data: TBytes read FData write FData;
  published
    property Small: Integer read FSmall write FSmall default 0;
    property Big: Integer read FBig write FBig;
    property Huge: Int64 read FHuge write FHuge;
    property Mode: TCompatMode read FMode write FMode default cmOff;
    property Flags: TCompatFlags read FFlags write FFlags default [cfA];
    property Enabled: Boolean read FEnabled write FEnabled default True;
    property Caption: AnsiString read FCaption write FCaption;
    property Title: WideString read FTitle write FTitle;
    property UTitle: UnicodeString read FUTitle write FUTitle;
    property Items: TCompatItems read FItems write SetItems;
    property Partner: TComponent read FPartner write SetPartner;
    property OnChange: TNotifyEvent read FOnChange write FOnChange;
  end;

  TCompatPanel = class(TCompatControl)
  private
    FChildren: TFPList;
    FCaption: WideString;
  protected
    procedure GetChildren(Proc: TGetChildProc; Root: TComponent); override;
    procedure Loaded; override;
  public
    constructor Create(AOwner: TComponent); override;
    destructor Destroy; override;
  published
    property Caption: WideString read FCaption write FCaption;
  end;

  { The root. Its children: first the components parented to the form, in
    child order, then the owned components without a parent, in creation
    order (the order of a VCL form). }
  TCompatForm = class(TComponent)
  private
    FChildren: TFPList;
  protected
    procedure GetChildren(Proc: TGetChildProc; Root: TComponent); override;
    procedure Loaded; override;
  public
    constructor Create(AOwner: TComponent); override;
    destructor Destroy; override;
  published
    procedure KindsChange(Sender: TObject);
    procedure PlayerPaint(ASender: TObject; const ARect: TRect);
    procedure PlayerFSCommand(ASender: TObject; const command, args: WideString);
    procedure PlayerFlashCall(ASender: TObject; const request: WideString);
  end;

{ Names of the components whose Loaded ran, in call order. }
function LoadedLog: TStringList;
{ The child list of a parent (a TCompatPanel or a TCompatForm), nil otherwise. }
function ChildListOf(AParent: TComponent): TFPList;
procedure RegisterCompatClasses;

implementation

var
  GLoadedLog: TStringList = nil;

function LoadedLog: TStringList;
begin
  if GLoadedLog = nil then
    GLoadedLog := TStringList.Create;
  Result := GLoadedLog;
end;

function ChildListOf(AParent: TComponent): TFPList;
begin
  if AParent is TCompatPanel then
    Result := TCompatPanel(AParent).FChildren
  else if AParent is TCompatForm then
    Result := TCompatForm(AParent).FChildren
  else
    Result := nil;
end;

procedure RegisterCompatClasses;
begin
  RegisterClasses([TCompatForm, TCompatPanel, TCompatKinds, TvtFlashList, TvtFlashPlayerComp]);
end;

{ TvtFlashStream }

constructor TvtFlashStream.Create(ACollection: TCollection);
begin
  inherited Create(ACollection);
  FStream := TMemoryStream.Create;
  FStoreName := '(empty)';
end;

destructor TvtFlashStream.Destroy;
begin
  FStream.Free;
  inherited Destroy;
end;

function TvtFlashStream.GetFlashStore: WideString;
begin
  if FStream.Size = 0 then
    Result := '(empty)'
  else
    Result := FStoreName;
end;

procedure TvtFlashStream.SetFlashStore(const AValue: WideString);
begin
  FStoreName := AValue;
end;

procedure TvtFlashStream.SetData(const ABytes: array of Byte);
begin
  FStream.Size := Length(ABytes);
  if Length(ABytes) > 0 then
    Move(ABytes[0], FStream.Memory^, Length(ABytes));
  FStream.Position := 0;
end;

procedure TvtFlashStream.DefineProperties(Filer: TFiler);
begin
  inherited DefineProperties(Filer);
  Filer.DefineBinaryProperty('FlashStream', @ReadData, @WriteData, True);
end;

{ Reads a little-endian Int32 count and checks it against the bytes left. }
function ReadCount(AStream: TStream; AUnit: Integer): LongInt;
begin
  Result := LongInt(LEtoN(AStream.ReadDWord));
  if (Result < 0) or (Int64(Result) * AUnit > AStream.Size - AStream.Position) then
    raise EReadError.Create('FlashStream: length past the end of the data');
end;

procedure TvtFlashStream.ReadData(AStream: TStream);
var
  Tag: Byte;
  Len, I: LongInt;
  Narrow: RawByteString;
  Wide: WideString;
begin
  Tag := AStream.ReadByte;
  if (Tag <> 2) and (Tag <> 4) then
    Exit;
  Len := ReadCount(AStream, 1 + Ord(Tag = 4));
  if Tag = 2 then
  begin
    SetLength(Narrow, Len);
    if Len > 0 then
      AStream.ReadBuffer(Narrow[1], Len);
    { Bytes become code units of the same value. }
    SetLength(Wide, Len);
    for I := 1 to Len do
      Wide[I] := WideChar(Ord(Narrow[I]));
  end
  else
  begin
    SetLength(Wide, Len);
    if Len > 0 then
      AStream.ReadBuffer(Wide[1], Len * 2);
    for I := 1 to Len do
      Wide[I] := WideChar(LEtoN(Word(Wide[I])));
  end;
  FStoreName := Wide;
  Len := ReadCount(AStream, 1);
  FStream.Size := Len;
  if Len > 0 then
    AStream.ReadBuffer(FStream.Memory^, Len);
  FStream.Position := 0;
end;

procedure TvtFlashStream.WriteData(AStream: TStream);
var
  I: Integer;
begin
  if FStream.Size = 0 then
  begin
    AStream.WriteByte(0);
    Exit;
  end;
  AStream.WriteByte(4);
  AStream.WriteDWord(NtoLE(LongWord(Length(FStoreName))));
  for I := 1 to Length(FStoreName) do
    AStream.WriteWord(NtoLE(Word(FStoreName[I])));
  AStream.WriteDWord(NtoLE(LongWord(FStream.Size)));
  AStream.WriteBuffer(FStream.Memory^, FStream.Size);
end;

function TvtFlashStream.Payload: TBytes;
var
  M: TMemoryStream;
begin
  Result := nil;
  M := TMemoryStream.Create;
  try
    WriteData(M);
    SetLength(Result, M.Size);
    if M.Size > 0 then
      Move(M.Memory^, Result[0], M.Size);
  finally
    M.Free;
  end;
end;

{ TvtFlashCollection }

constructor TvtFlashCollection.Create(AOwner: TPersistent);
begin
  inherited Create(TvtFlashStream);
  FOwner := AOwner;
end;

function TvtFlashCollection.GetOwner: TPersistent;
begin
  Result := FOwner;
end;

function TvtFlashCollection.Add: TvtFlashStream;
begin
  Result := TvtFlashStream(inherited Add);
end;

function TvtFlashCollection.GetItem(Index: Integer): TvtFlashStream;
begin
  Result := TvtFlashStream(inherited Items[Index]);
end;

{ TvtFlashList }

constructor TvtFlashList.Create(AOwner: TComponent);
begin
  inherited Create(AOwner);
  FFlashs := TvtFlashCollection.Create(Self);
end;

destructor TvtFlashList.Destroy;
begin
  FFlashs.Free;
  inherited Destroy;
end;

procedure TvtFlashList.SetFlashs(AValue: TvtFlashCollection);
begin
  FFlashs.Assign(AValue);
end;

procedure TvtFlashList.Loaded;
begin
  inherited Loaded;
  LoadedLog.Add(Name);
end;

{ TvtFlashPlayerComp }

constructor TvtFlashPlayerComp.Create(AOwner: TComponent);
begin
  inherited Create(AOwner);
  FWidth := 100;
  FHeight := 100;
end;

procedure TvtFlashPlayerComp.Loaded;
begin
  inherited Loaded;
  LoadedLog.Add(Name);
end;

{ TCompatItems }

constructor TCompatItems.Create;
begin
  inherited Create(TCompatItem);
end;

function TCompatItems.Add: TCompatItem;
begin
  Result := TCompatItem(inherited Add);
end;

function TCompatItems.GetItem(Index: Integer): TCompatItem;
begin
  Result := TCompatItem(inherited Items[Index]);
end;

{ TCompatControl }

destructor TCompatControl.Destroy;
begin
  SetParent(nil);
  inherited Destroy;
end;

function TCompatControl.HasParent: Boolean;
begin
  Result := FParent <> nil;
end;

function TCompatControl.GetParentComponent: TComponent;
begin
  Result := FParent;
end;

procedure TCompatControl.SetParent(AValue: TComponent);
var
  List: TFPList;
begin
  if ChildListOf(AValue) = nil then
    AValue := nil;
  if AValue = FParent then
    Exit;
  List := ChildListOf(FParent);
  if List <> nil then
    List.Remove(Self);
  FParent := AValue;
  List := ChildListOf(FParent);
  if List <> nil then
    List.Add(Self);
end;

procedure TCompatControl.SetParentComponent(AValue: TComponent);
begin
  SetParent(AValue);
end;

{ TCompatKinds }

constructor TCompatKinds.Create(AOwner: TComponent);
begin
  inherited Create(AOwner);
  FFlags := [cfA];
  FEnabled := True;
  FItems := TCompatItems.Create;
end;

destructor TCompatKinds.Destroy;
begin
  FItems.Free;
  inherited Destroy;
end;

procedure TCompatKinds.SetItems(AValue: TCompatItems);
begin
  FItems.Assign(AValue);
end;

procedure TCompatKinds.SetPartner(AValue: TComponent);
begin
  if FPartner = AValue then
    Exit;
  if FPartner <> nil then
    FPartner.RemoveFreeNotification(Self);
  FPartner := AValue;
  if FPartner <> nil then
    FPartner.FreeNotification(Self);
end;

procedure TCompatKinds.Notification(AComponent: TComponent; Operation: TOperation);
begin
  inherited Notification(AComponent, Operation);
  if (Operation = opRemove) and (AComponent = FPartner) then
    FPartner := nil;
end;

procedure TCompatKinds.DefineProperties(Filer: TFiler);
begin
  inherited DefineProperties(Filer);
  Filer.DefineBinaryProperty('Data', @ReadData, @WriteData, Length(FData) > 0);
end;

procedure TCompatKinds.ReadData(AStream: TStream);
begin
  SetLength(FData, AStream.Size - AStream.Position);
  if Length(FData) > 0 then
    AStream.ReadBuffer(FData[0], Length(FData));
end;

procedure TCompatKinds.WriteData(AStream: TStream);
begin
  if Length(FData) > 0 then
    AStream.WriteBuffer(FData[0], Length(FData));
end;

procedure TCompatKinds.Loaded;
begin
  inherited Loaded;
  LoadedLog.Add(Name);
end;

{ TCompatPanel }

constructor TCompatPanel.Create(AOwner: TComponent);
begin
  inherited Create(AOwner);
  FChildren := TFPList.Create;
end;

destructor TCompatPanel.Destroy;
begin
  while FChildren.Count > 0 do
    TCompatControl(FChildren.Last).SetParent(nil);
  FreeAndNil(FChildren);
  inherited Destroy;
end;

procedure TCompatPanel.GetChildren(Proc: TGetChildProc; Root: TComponent);
var
  I: Integer;
begin
  for I := 0 to FChildren.Count - 1 do
    if TComponent(FChildren[I]).Owner = Root then
      Proc(TComponent(FChildren[I]));
end;

procedure TCompatPanel.Loaded;
begin
  inherited Loaded;
  LoadedLog.Add(Name);
end;

{ TCompatForm }

constructor TCompatForm.Create(AOwner: TComponent);
begin
  inherited Create(AOwner);
  FChildren := TFPList.Create;
end;

destructor TCompatForm.Destroy;
begin
  DestroyComponents;
  while FChildren.Count > 0 do
    TCompatControl(FChildren.Last).SetParent(nil);
  FreeAndNil(FChildren);
  inherited Destroy;
end;

procedure TCompatForm.GetChildren(Proc: TGetChildProc; Root: TComponent);
var
  I: Integer;
begin
  for I := 0 to FChildren.Count - 1 do
    if TComponent(FChildren[I]).Owner = Root then
      Proc(TComponent(FChildren[I]));
  if Root = Self then
    for I := 0 to ComponentCount - 1 do
      if not Components[I].HasParent then
        Proc(Components[I]);
end;

procedure TCompatForm.Loaded;
begin
  inherited Loaded;
  LoadedLog.Add(Name);
end;

procedure TCompatForm.KindsChange(Sender: TObject);
begin
end;

procedure TCompatForm.PlayerPaint(ASender: TObject; const ARect: TRect);
begin
end;

procedure TCompatForm.PlayerFSCommand(ASender: TObject; const command, args: WideString);
begin
end;

procedure TCompatForm.PlayerFlashCall(ASender: TObject; const request: WideString);
begin
end;

finalization
  FreeAndNil(GLoadedLog);
end.
