# vtform's designer commands under Wine, end to end:
#   -DVTFORM=exe -DVTPLAY=exe -DMOVIE=demo.swf -DWINE_RUN=scripts/wine-run.sh -DWORK=dir
#   [-DFPCFORM=Free Pascal's converter, when fpc is installed]
# The palette and its bitmaps; property edits through the editors on a text
# and a binary form, keeping everything else (the application's class and
# handler names too); movie files loaded into a form's movie list; errors
# that write nothing; and the edited form playing in vtplay.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

function(run status)
  cmake_parse_arguments(A "" "OUT" "" ${ARGN})
  execute_process(COMMAND ${WINE_RUN} ${A_UNPARSED_ARGUMENTS} WORKING_DIRECTORY ${WORK}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 60)
  if(NOT rc EQUAL ${status})
    message(FATAL_ERROR "${A_UNPARSED_ARGUMENTS}: status ${rc}, expected ${status}\n${out}${err}")
  endif()
  if(A_OUT)
    set(${A_OUT} "${out}${err}" PARENT_SCOPE)
  endif()
endfunction()
function(expect text pattern)
  if(NOT text MATCHES "${pattern}")
    message(FATAL_ERROR "'${pattern}' not found in:\n${text}")
  endif()
endfunction()
# A file's text with CRLF made LF.
function(read_text file var)
  file(READ ${file} text)
  string(REPLACE "\r\n" "\n" text "${text}")
  set(${var} "${text}" PARENT_SCOPE)
endfunction()

# The palette, in registration order, and its bitmaps as PNG.
run(0 ${VTFORM} --palette --out bitmaps OUT palette)
expect("${palette}" "^Vistrel\n  TvtFlashList +TVTFLASHLIST 24x24, 16 colours[^\n]*\n  TvtFlashPlayer +TVTFLASHPLAYER 24x24, 16 colours[^\n]*\n  TvtFlashPlayerWnd +TVTFLASHPLAYERWND 24x24, 256 colours[^\n]*\n  TvtFlashPlayerComp +TVTFLASHPLAYERCOMP 24x24, 256 colours[^\n]*\n  TvtFlashLayer +TVTFLASHLAYER 24x24, 256 colours")
foreach(name TVTFLASHLIST TVTFLASHPLAYER TVTFLASHPLAYERWND TVTFLASHPLAYERCOMP TVTFLASHLAYER)
  file(READ ${WORK}/bitmaps/${name}.png signature LIMIT 8 HEX)
  if(NOT signature STREQUAL "89504e470d0a1a0a")
    message(FATAL_ERROR "bitmaps/${name}.png is not a PNG file")
  endif()
endforeach()

# An application's form: its own class and handler names, a movie list and a player.
file(COPY_FILE ${MOVIE} ${WORK}/demo.swf)
set(form [[
object MainForm: TMyAppForm
  Left = 0
  Top = 0
  Width = 300
  Height = 200
  Caption = 'Edited'
  object Movies: TvtFlashList
    Flashs = <>
  end
  object Player: TvtFlashPlayerComp
    Movie = 'demo.swf'
    Pause = False
    Volume = 50
    Width = 160
    Height = 120
    OnFSCommand = PlayerFSCommand
  end
end
]])
file(WRITE ${WORK}/form.txt "${form}")
run(0 ${VTFORM} --props form.txt Player OUT props)
expect("${props}" "  Skin = ClearOverAll  \\(TvtSkinProperty\\)\n      values: ClearOverAll, SteelOverAll, MojaveOverAll, ArcticOverAll\n")
expect("${props}" "  Pause = False  \\(TEnumProperty\\)")
expect("${props}" "  OnFSCommand = PlayerFSCommand  \\(TMethodProperty\\)")

# A skin name outside the list is taken; only its line changes, in place.
run(0 ${VTFORM} --set form.txt Player.Skin=MyOwnSkin --out skinned.txt)
read_text(${WORK}/skinned.txt skinned)
string(REPLACE "    Movie = 'demo.swf'\n" "    Movie = 'demo.swf'\n    Skin = 'MyOwnSkin'\n" expected "${form}")
if(NOT skinned STREQUAL expected)
  message(FATAL_ERROR "--set changed more than the skin:\n${skinned}\nexpected:\n${expected}")
endif()

# The same edit on the binary form gives the same form, still binary.
run(0 ${VTFORM} --to-binary form.txt form.dfm)
run(0 ${VTFORM} --set form.dfm Player.Skin=MyOwnSkin)
file(READ ${WORK}/form.dfm signature LIMIT 4 HEX)
if(NOT signature STREQUAL "54504630")  # TPF0
  message(FATAL_ERROR "--set did not keep the binary format")
endif()
run(0 ${VTFORM} --to-text form.dfm from_binary.txt)
read_text(${WORK}/from_binary.txt from_binary)
if(NOT from_binary STREQUAL skinned)
  message(FATAL_ERROR "the binary edit differs:\n${from_binary}")
endif()

# Movie files into the list: a new item by index, then a file without bytes.
string(REPEAT "F" 5000 bytes)
file(WRITE ${WORK}/intro.swf "${bytes}")
file(WRITE ${WORK}/nothing.swf "")
run(0 ${VTFORM} --load-movie skinned.txt Movies 0 intro.swf OUT loaded)
expect("${loaded}" "Movies\\[0\\].FlashStore = intro.swf \\(5000 bytes\\)")
run(0 ${VTFORM} --load-movie skinned.txt Movies 1 demo.swf)
run(0 ${VTFORM} --load-movie skinned.txt Movies intro.swf nothing.swf --out emptied.txt OUT emptied)
expect("${emptied}" "Movies\\[0\\].FlashStore = \\(empty\\) \\(0 bytes\\)")
run(0 ${VTFORM} --props skinned.txt Movies OUT listed)
expect("${listed}" "  Flashs\\[0\\].FlashStore = intro.swf  \\(TvtFlashStreamProperty\\)\n  Flashs\\[1\\].FlashStore = demo.swf ")

# Errors write nothing.
file(READ ${WORK}/skinned.txt before)
foreach(args "--set;skinned.txt;Player.Volume=loud" "--set;skinned.txt;Player.OnFSCommand=Other"
             "--set;skinned.txt;Nobody.Skin=x" "--load-movie;skinned.txt;Movies;7;intro.swf"
             "--load-movie;skinned.txt;Movies;0;missing.swf" "--load-movie;skinned.txt;Player;0;intro.swf")
  run(1 ${VTFORM} ${args} OUT message)
  expect("${message}" "^vtform: ")
endforeach()
run(2 ${VTFORM} --set skinned.txt Player.Skin)
run(2 ${VTFORM} --props skinned.txt)
file(READ ${WORK}/skinned.txt after)
if(NOT before STREQUAL after)
  message(FATAL_ERROR "a failed edit changed the form")
endif()

# The edited form plays the stored movie it now holds.
file(WRITE ${WORK}/play.txt [[
object PlayForm: TPlayForm
  Width = 300
  Height = 200
  object Movies: TvtFlashList
  end
  object Player: TvtFlashPlayerComp
    Movie = 'stored.swf'
    Width = 160
    Height = 120
  end
end
]])
file(COPY_FILE ${MOVIE} ${WORK}/stored.swf)
run(0 ${VTFORM} --load-movie play.txt Movies 0 stored.swf)
file(REMOVE ${WORK}/stored.swf)
run(0 ${VTPLAY} --form play.txt --frames 1 --out frames OUT played)
expect("${played}" "fscommand demo started")

# Free Pascal's converter reads the edited binary form as ours does.
if(FPCFORM)
  run(0 ${VTFORM} --to-binary play.txt play.dfm)
  execute_process(COMMAND ${FPCFORM} totext ${WORK}/play.dfm ${WORK}/fpc.txt RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "fpcform could not read the edited form: ${err}")
  endif()
  read_text(${WORK}/fpc.txt fpc)
  read_text(${WORK}/play.txt ours)
  if(NOT fpc STREQUAL ours)
    message(FATAL_ERROR "Free Pascal reads the edited form otherwise:\n${fpc}\nours:\n${ours}")
  endif()
endif()
