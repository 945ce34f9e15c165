{ The sample forms fpcform writes: forms built from objects with known values. }
unit compat_samples;

{$mode objfpc}{$H+}

interface

uses
  Classes, SysUtils, compat_components;

{ Writes kinds.frm, store.frm, player.frm, nested.frm, legacy.frm and
  truncated.bad (a form every reader must reject) into ADir. }
procedure WriteSamples(const ADir: String);
procedure WriteForm(AForm: TComponent; const AFileName: String);

implementation

procedure WriteForm(AForm: TComponent; const AFileName: String);
var
  Stream: TFileStream;
begin
  Stream := TFileStream.Create(AFileName, fmCreate);
  try
    Stream.WriteComponent(AForm);
  finally
    Stream.Free;
  end;
end;

function NewForm: TCompatForm;
begin
  Result := TCompatForm.Create(nil);
  Result.Name := 'Form1';
end;

function NewKinds(AForm: TCompatForm; const AName: String; AParent: TComponent): TCompatKinds;
begin
  Result := TCompatKinds.Create(AForm);
  Result.Name := AName;
  Result.SetParent(AParent);
end;

function NewPlayer(AForm: TCompatForm; const AName: String): TvtFlashPlayerComp;
begin
  Result := TvtFlashPlayerComp.Create(AForm);
  Result.Name := AName;
end;

procedure AddItem(AKinds: TCompatKinds; AValue: Integer; const AText: WideString);
var
  Item: TCompatItem;
begin
  Item := AKinds.Items.Add;
  Item.Value := AValue;
  Item.Text := AText;
end;

{ Every value kind: boundary integers, long and non-ASCII strings, collections,
  references, events and binary data. }
procedure WriteKinds(const AFileName: String);
var
  Form: TCompatForm;
  K1, K2: TCompatKinds;
  Player: TvtFlashPlayerComp;
  Data: TBytes;
  I: Integer;
  Long: AnsiString;
begin
  Form := NewForm;
  try
    K1 := NewKinds(Form, 'Kinds1', Form);
    K2 := NewKinds(Form, 'Kinds2', nil);
    Player := NewPlayer(Form, 'Player1');

    K1.Small := -129;
    K1.Big := 32768;
    K1.Huge := -5000000000;
    K1.Mode := cmAuto;
    K1.Flags := [cfB, cfC];
    K1.Enabled := False;
    Long := 'It''s a long caption:'#9;
    for I := 1 to 30 do
      Long := Long + Format(' word%.2d', [I]);
    Long := Long + ' ' + StringOfChar('x', 100);
    K1.Caption := Long;
    { "Grüße, 日本 😀": Latin-1, CJK and a character outside the BMP. }
    K1.Title := 'Gr'#$00FC#$00DF'e, '#$65E5#$672C' '#$D83D#$DE00;
    K1.UTitle := 'Unicode '#$0416#$00E9' '#$D834#$DD1E' end';
    AddItem(K1, -129, 'minus 129');
    AddItem(K1, -128, '');
    AddItem(K1, 127, 'a''b');
    AddItem(K1, 128, #$00E9't'#$00E9);
    AddItem(K1, 32767, '');
    AddItem(K1, 32768, 'x');
    AddItem(K1, -32769, 'y');
    AddItem(K1, 0, 'zero');
    K1.Partner := Player;
    K1.OnChange := @Form.KindsChange;
    SetLength(Data, 300);
    for I := 0 to High(Data) do
      Data[I] := Byte(I * 7 + 3);
    K1.Data := Data;

    { Kinds2 keeps its defaults: only the always-stored properties and the
      empty collection are written. }
    K2.Big := 0;

    Player.Movie := 'a.swf';
    Player.Volume := 127;
    Player.Width := 128;
    Player.Height := -32769;
    WriteForm(Form, AFileName);
  finally
    Form.Free;
  end;
end;

procedure AddMovie(AList: TvtFlashList; const AName: WideString; const AData: array of Byte);
var
  Item: TvtFlashStream;
begin
  Item := AList.Flashs.Add;
  Item.FlashStore := AName;
  Item.SetData(AData);
end;

procedure WriteStore(const AFileName: String);
var
  Form: TCompatForm;
  L1, L2: TvtFlashList;
  Movie: array[0..69] of Byte;
  I: Integer;
begin
  Form := NewForm;
  try
    L1 := TvtFlashList.Create(Form);
    L1.Name := 'FlashList1';
    L2 := TvtFlashList.Create(Form);
    L2.Name := 'FlashList2';
    { A name without data is lost: the item writes "(empty)" and tag 0. }
    AddMovie(L1, 'forgotten.swf', []);
    AddMovie(L1, 'intro.swf', [$46, $57, $53]);
    AddMovie(L1, #$00DC'berblick-'#$6620#$753B'.swf', [1, 2, 3, 4, 5]);
    AddMovie(L1, 'same.swf', [$AA]);
    AddMovie(L1, 'same.swf', [$BB]);
    Movie[0] := Ord('F');
    Movie[1] := Ord('W');
    Movie[2] := Ord('S');
    for I := 3 to High(Movie) do
      Movie[I] := Byte(I * 13);
    AddMovie(L2, 'big.swf', Movie);
    AddMovie(L2, '', []);
    WriteForm(Form, AFileName);
  finally
    Form.Free;
  end;
end;

procedure WritePlayer(const AFileName: String);
var
  Form: TCompatForm;
  P2: TvtFlashPlayerComp;
begin
  Form := NewForm;
  try
    NewPlayer(Form, 'Player1');
    P2 := NewPlayer(Form, 'Player2');
    P2.Plugin := vtActiveX;
    P2.Movie := 'clip_'#$00FC'.swf';
    P2.Skin := 'ClearOverAll';
    P2.Pause := True;
    P2.Volume := 50;
    P2.Width := 640;
    P2.Height := 480;
    P2.OnPaint := @Form.PlayerPaint;
    P2.OnFSCommand := @Form.PlayerFSCommand;
    P2.OnFlashCall := @Form.PlayerFlashCall;
    WriteForm(Form, AFileName);
  finally
    Form.Free;
  end;
end;

procedure WriteNested(const AFileName: String);
var
  Form: TCompatForm;
  Outer, Inner: TCompatPanel;
  K1, K2, K3: TCompatKinds;
  List: TvtFlashList;
  Design: LongRec;
begin
  Form := NewForm;
  try
    { Created out of stream order on purpose: the stream follows the parents'
      child lists, then the components without parent. }
    List := TvtFlashList.Create(Form);
    List.Name := 'FlashList1';
    Design.Lo := 24;
    Design.Hi := 300;
    List.DesignInfo := LongInt(Design);

    Outer := TCompatPanel.Create(Form);
    Outer.Name := 'Outer';
    Outer.Caption := 'Outer panel';
    Outer.SetParent(Form);
    K1 := NewKinds(Form, 'Kinds1', Outer);
    K1.Big := 1;
    Inner := TCompatPanel.Create(Form);
    Inner.Name := 'Inner';
    Inner.Caption := 'Inner '#$00E9;
    Inner.SetParent(Outer);
    K2 := NewKinds(Form, 'Kinds2', Inner);
    K2.Big := 2;
    K2.Partner := K1;
    K3 := NewKinds(Form, 'Kinds3', Form);
    K3.Big := 3;
    K3.Partner := Inner;
    WriteForm(Form, AFileName);
  finally
    Form.Free;
  end;
end;

{ Payloads our writer never produces, from a text form: an item with tag 2
  (8-bit name) and an item with an unknown tag, which keeps the item empty. }
const
  LegacyText =
    'object Form1: TCompatForm'#10 +
    '  object FlashList1: TvtFlashList'#10 +
    '    Flashs = <'#10 +
    '      item'#10 +
    '        FlashStore = ''old.swf'''#10 +
    '        FlashStream = {'#10 +
    '          02070000006F6C642E73776602000000AABB'#10 +
    '        }'#10 +
    '      end'#10 +
    '      item'#10 +
    '        FlashStore = ''odd.swf'''#10 +
    '        FlashStream = {'#10 +
    '          0709000000'#10 +
    '        }'#10 +
    '      end>'#10 +
    '  end'#10 +
    'end'#10;
  { A name length that runs past the end of the payload: reading must fail. }
  TruncatedText =
    'object Form1: TCompatForm'#10 +
    '  object FlashList1: TvtFlashList'#10 +
    '    Flashs = <'#10 +
    '      item'#10 +
    '        FlashStore = ''cut.swf'''#10 +
    '        FlashStream = {'#10 +
    '          04FFFFFF7F6300'#10 +
    '        }'#10 +
    '      end>'#10 +
    '  end'#10 +
    'end'#10;

procedure WriteFromText(const AText: String; const AFileName: String);
var
  Input: TStringStream;
  Output: TFileStream;
begin
  Input := TStringStream.Create(AText);
  try
    Output := TFileStream.Create(AFileName, fmCreate);
    try
      ObjectTextToBinary(Input, Output);
    finally
      Output.Free;
    end;
  finally
    Input.Free;
  end;
end;

procedure WriteSamples(const ADir: String);
var
  Dir: String;
begin
  Dir := IncludeTrailingPathDelimiter(ADir);
  ForceDirectories(Dir);
  WriteKinds(Dir + 'kinds.frm');
  WriteStore(Dir + 'store.frm');
  WritePlayer(Dir + 'player.frm');
  WriteNested(Dir + 'nested.frm');
  WriteFromText(LegacyText, Dir + 'legacy.frm');
  WriteFromText(TruncatedText, Dir + 'truncated.bad');
end;

end.
