# Setup for vtplay's form runs: the demo movie as movie.swf, and text forms
# whose root class is the application's own: one playing movie.swf from a
# file, one playing intro.swf stored in the form's movie list, one each with a
# windowed player and a layer playing movie.swf, one without a player, and
# forms/clip_form.txt playing clip.swf, which is only beside that form. Event
# handlers the forms name are the application's, which vtplay does not have.
file(COPY_FILE ${MOVIE} ${WORK}/movie.swf)
file(MAKE_DIRECTORY ${WORK}/forms)
file(COPY_FILE ${MOVIE} ${WORK}/forms/clip.swf)
file(WRITE ${WORK}/forms/clip_form.txt [[
object ClipForm: TClipForm
  Left = 0
  Top = 0
  Width = 300
  Height = 200
  object Player: TvtFlashPlayerComp
    Movie = 'clip.swf'
    Width = 160
    Height = 120
  end
end
]])

file(WRITE ${WORK}/file_form.txt [[
object MainForm: TMainForm
  Left = 0
  Top = 0
  Width = 300
  Height = 200
  Caption = 'Movie'
  object Player: TvtFlashPlayerComp
    Movie = 'movie.swf'
    Skin = 'ClearOverAll'
    Pause = False
    Volume = 50
    Width = 160
    Height = 120
    OnFSCommand = PlayerFSCommand
  end
end
]])

# The stored movie's payload: tag 4, the name in UTF-16, the size, the bytes.
file(READ ${MOVIE} data HEX)
string(LENGTH "${data}" digits)
math(EXPR size "${digits} / 2")
math(EXPR b0 "${size} & 255" OUTPUT_FORMAT HEXADECIMAL)
math(EXPR b1 "(${size} >> 8) & 255" OUTPUT_FORMAT HEXADECIMAL)
math(EXPR b2 "(${size} >> 16) & 255" OUTPUT_FORMAT HEXADECIMAL)
set(size_hex)
foreach(b ${b0} ${b1} ${b2})
  string(SUBSTRING "${b}" 2 -1 b)
  string(LENGTH "${b}" n)
  if(n EQUAL 1)
    set(b "0${b}")
  endif()
  string(APPEND size_hex "${b}")
endforeach()
set(payload "040900000069006e00740072006f002e00730077006600${size_hex}00${data}")
file(WRITE ${WORK}/stored_form.txt "object MainForm: TMyAppForm
  Left = 0
  Top = 0
  Width = 300
  Height = 200
  object Movies: TvtFlashList
    Flashs = <
      item
        FlashStore = 'intro.swf'
        FlashStream = {${payload}}
      end>
  end
  object Player: TvtFlashPlayer
    Left = 10
    Top = 10
    Width = 200
    Height = 150
    Movie = 'intro.swf'
    Skin = 'ClearOverAll'
    Pause = False
    Volume = 50
    Transparent = False
  end
end
")

file(WRITE ${WORK}/window_form.txt [[
object MainForm: TMainForm
  Left = 0
  Top = 0
  Width = 300
  Height = 200
  object Player: TvtFlashPlayerWnd
    Left = 5
    Top = 5
    Width = 180
    Height = 130
    Movie = 'movie.swf'
  end
end
]])

file(WRITE ${WORK}/layer_form.txt [[
object MainForm: TMainForm
  Left = 0
  Top = 0
  Width = 300
  Height = 200
  object Layer: TvtFlashLayer
    Width = 200
    Height = 150
    Movie = 'movie.swf'
    MasterAlpha = 200
    AllowDrag = False
  end
end
]])

file(WRITE ${WORK}/empty_form.txt [[
object MainForm: TMainForm
  Left = 0
  Top = 0
  Width = 300
  Height = 200
end
]])
