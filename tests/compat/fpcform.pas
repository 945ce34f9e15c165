{ fpcform: the Free Pascal side of the form-stream compatibility tests.

    fpcform write DIR           writes the sample forms (kinds, store, player, nested)
    fpcform read FILE           reads a binary form and prints the canonical dump
    fpcform totext IN OUT       binary form to text form
    fpcform tobinary IN OUT     text form to binary form
    fpcform roundtrip IN OUT    reads a binary form into objects and writes it again

  The dump format is described in README.md next to this file. }
program fpcform;

{$mode objfpc}{$H+}

uses
  Classes, SysUtils, TypInfo, compat_components, compat_samples;

{ ---- canonical dump ---- }

function HexOf(const ABytes: TBytes): String;
var
  I: Integer;
begin
  Result := '';
  for I := 0 to High(ABytes) do
    Result := Result + IntToHex(ABytes[I], 2);
end;

function QuoteUnit(AUnit: Word): String;
begin
  if AUnit = Ord('"') then
    Result := '\"'
  else if AUnit = Ord('\') then
    Result := '\\'
  else if (AUnit >= 32) and (AUnit <= 126) then
    Result := Chr(AUnit)
  else
    Result := '\u' + LowerCase(IntToHex(AUnit, 4));
end;

function QuoteWide(const S: UnicodeString): String;
var
  I: Integer;
begin
  Result := '"';
  for I := 1 to Length(S) do
    Result := Result + QuoteUnit(Word(S[I]));
  Result := Result + '"';
end;

function QuoteBytes(const S: RawByteString): String;
var
  I: Integer;
begin
  Result := '"';
  for I := 1 to Length(S) do
    Result := Result + QuoteUnit(Ord(S[I]));
  Result := Result + '"';
end;

function SetText(AInstance: TObject; AProp: PPropInfo): String;
var
  Value: LongInt;
  EnumType: PTypeInfo;
  I: Integer;
begin
  Value := GetOrdProp(AInstance, AProp);
  EnumType := GetTypeData(AProp^.PropType)^.CompType;
  Result := '';
  for I := GetTypeData(EnumType)^.MinValue to GetTypeData(EnumType)^.MaxValue do
    if (Value and (1 shl I)) <> 0 then
    begin
      if Result <> '' then
        Result := Result + ',';
      Result := Result + GetEnumName(EnumType, I);
    end;
  Result := '[' + Result + ']';
end;

type
  { Reaches TComponent.GetChildren, which is protected. }
  TCompatAccess = class(TComponent);

  TDumper = class
  private
    FRoot: TComponent;
    FOut: TStringList;
    procedure Line(const S: String);
    procedure DumpProps(AInstance: TPersistent; const APrefix: String);
    procedure DumpCollection(ACollection: TCollection; const AName: String);
    procedure DumpComponent(AComponent: TComponent);
  public
    constructor Create(ARoot: TComponent; AOut: TStringList);
  end;

constructor TDumper.Create(ARoot: TComponent; AOut: TStringList);
begin
  inherited Create;
  FRoot := ARoot;
  FOut := AOut;
end;

procedure TDumper.Line(const S: String);
begin
  FOut.Add(S);
end;

function ValueText(ARoot: TComponent; AInstance: TObject; AProp: PPropInfo): String;
var
  Obj: TObject;
  M: TMethod;
begin
  case AProp^.PropType^.Kind of
    tkInteger: Result := IntToStr(GetOrdProp(AInstance, AProp));
    tkInt64: Result := IntToStr(GetInt64Prop(AInstance, AProp));
    tkEnumeration: Result := GetEnumProp(AInstance, AProp);
    tkBool: Result := BoolToStr(GetOrdProp(AInstance, AProp) <> 0, 'True', 'False');
    tkSet: Result := SetText(AInstance, AProp);
    tkSString, tkLString, tkAString: Result := QuoteBytes(GetStrProp(AInstance, AProp));
    tkWString: Result := QuoteWide(GetWideStrProp(AInstance, AProp));
    tkUString: Result := QuoteWide(GetUnicodeStrProp(AInstance, AProp));
    tkMethod:
      begin
        M := GetMethodProp(AInstance, AProp);
        if M.Code = nil then
          Result := 'nil'
        else
          Result := ARoot.MethodName(M.Code);
      end;
    tkClass:
      begin
        Obj := GetObjectProp(AInstance, AProp);
        if Obj = nil then
          Result := 'nil'
        else if Obj is TComponent then
          Result := TComponent(Obj).Name
        else
          Result := '?';
      end;
  else
    raise Exception.CreateFmt('no dump form for property %s', [AProp^.Name]);
  end;
end;

procedure TDumper.DumpCollection(ACollection: TCollection; const AName: String);
var
  I: Integer;
  Item: TCollectionItem;
  Prefix: String;
begin
  Line(Format('  %s.Count = %d', [AName, ACollection.Count]));
  for I := 0 to ACollection.Count - 1 do
  begin
    Item := ACollection.Items[I];
    Prefix := Format('%s[%d].', [AName, I]);
    DumpProps(Item, Prefix);
    if Item is TvtFlashStream then
      Line('  ' + Prefix + 'FlashStream = {' + HexOf(TvtFlashStream(Item).Payload) + '}');
  end;
end;

procedure TDumper.DumpProps(AInstance: TPersistent; const APrefix: String);
var
  Count, I: Integer;
  List: PPropList;
  Prop: PPropInfo;
  Obj: TObject;
begin
  Count := GetPropList(AInstance, List);
  try
    for I := 0 to Count - 1 do
    begin
      Prop := List^[I];
      { TComponent's own Name (in the header line) and Tag are not compared. }
      if (AInstance is TComponent) and ((Prop^.Name = 'Name') or (Prop^.Name = 'Tag')) then
        Continue;
      if Prop^.PropType^.Kind = tkClass then
      begin
        Obj := GetObjectProp(AInstance, Prop);
        if Obj is TCollection then
        begin
          DumpCollection(TCollection(Obj), APrefix + Prop^.Name);
          Continue;
        end;
      end;
      Line('  ' + APrefix + Prop^.Name + ' = ' + ValueText(FRoot, AInstance, Prop));
    end;
  finally
    FreeMem(List);
  end;
end;

procedure TDumper.DumpComponent(AComponent: TComponent);
var
  ParentName: String;
  Design: LongRec;
begin
  if (AComponent = FRoot) or (AComponent.GetParentComponent = nil) then
    ParentName := '-'
  else
    ParentName := AComponent.GetParentComponent.Name;
  Line(Format('%s: %s parent=%s', [AComponent.Name, AComponent.ClassName, ParentName]));
  DumpProps(AComponent, '');
  Design := LongRec(AComponent.DesignInfo);
  if Design.Lo <> 0 then
    Line(Format('  Left = %d', [Design.Lo]));
  if Design.Hi <> 0 then
    Line(Format('  Top = %d', [Design.Hi]));
  if AComponent is TCompatKinds then
    Line('  Data = {' + HexOf(TCompatKinds(AComponent).Data) + '}');
  TCompatAccess(AComponent).GetChildren(@DumpComponent, FRoot);
end;

{ ---- commands ---- }

procedure Fail(const AMessage: String);
begin
  WriteLn(StdErr, 'fpcform: ', AMessage);
  Halt(2);
end;

function ReadForm(const AFileName: String): TCompatForm;
var
  Stream: TFileStream;
begin
  LoadedLog.Clear;
  Result := TCompatForm.Create(nil);
  try
    Stream := TFileStream.Create(AFileName, fmOpenRead or fmShareDenyNone);
    try
      Stream.ReadComponent(Result);
    finally
      Stream.Free;
    end;
  except
    Result.Free;
    raise;
  end;
end;

procedure CmdRead(const AFileName: String);
var
  Form: TCompatForm;
  Lines: TStringList;
  Dumper: TDumper;
  I: Integer;
  Loaded: String;
begin
  Lines := TStringList.Create;
  Form := ReadForm(AFileName);
  try
    Dumper := TDumper.Create(Form, Lines);
    try
      Dumper.DumpComponent(Form);
    finally
      Dumper.Free;
    end;
    Loaded := 'loaded:';
    for I := 0 to LoadedLog.Count - 1 do
      Loaded := Loaded + ' ' + LoadedLog[I];
    Lines.Add(Loaded);
    for I := 0 to Lines.Count - 1 do
      Write(Lines[I], #10);
  finally
    Form.Free;
    Lines.Free;
  end;
end;

procedure Convert(const AIn, AOut: String; AToText: Boolean);
var
  Input, Output: TFileStream;
begin
  Input := TFileStream.Create(AIn, fmOpenRead or fmShareDenyNone);
  try
    Output := TFileStream.Create(AOut, fmCreate);
    try
      if AToText then
        ObjectBinaryToText(Input, Output)
      else
        ObjectTextToBinary(Input, Output);
    finally
      Output.Free;
    end;
  finally
    Input.Free;
  end;
end;

procedure CmdRoundtrip(const AIn, AOut: String);
var
  Form: TCompatForm;
begin
  Form := ReadForm(AIn);
  try
    WriteForm(Form, AOut);
  finally
    Form.Free;
  end;
end;

begin
  RegisterCompatClasses;
  try
    if (ParamCount = 2) and (ParamStr(1) = 'write') then
      WriteSamples(ParamStr(2))
    else if (ParamCount = 2) and (ParamStr(1) = 'read') then
      CmdRead(ParamStr(2))
    else if (ParamCount = 3) and (ParamStr(1) = 'totext') then
      Convert(ParamStr(2), ParamStr(3), True)
    else if (ParamCount = 3) and (ParamStr(1) = 'tobinary') then
      Convert(ParamStr(2), ParamStr(3), False)
    else if (ParamCount = 3) and (ParamStr(1) = 'roundtrip') then
      CmdRoundtrip(ParamStr(2), ParamStr(3))
    else
      Fail('usage: fpcform write DIR | read FILE | totext IN OUT | tobinary IN OUT | roundtrip IN OUT');
  except
    on E: Exception do
      Fail(E.ClassName + ': ' + E.Message);
  end;
end.
