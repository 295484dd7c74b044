#!/usr/bin/env bash
# End to end: the workshop's three channels into the real stand-in, the sample menu,
# the command list and the file loader through the open-file dialog, under Wine on a
# private Xvfb display. One workshop and one stand-in serve every case; each check
# waits on a condition (a log line, a box, a text), never on a fixed time.
# usage: channels_e2e.sh LumvoxWorkshop.exe lumvox_e2e_driver.exe lumvox-standin.exe
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
APP="$1"
E2E_DRIVER="$2"
STANDIN="$3"
MAIN=class:TfrmLumvoxMsgTest
STANDIN_WINDOW=title:Lumvox
LOG="$E2E_TMP/standin.jsonl"
TITLE="Lumvox Workshop V2"
e2e_start_display

# Texts are written escaped where they hold line breaks: \r, \n, \t and \\, the form
# the driver's *-esc commands read and print.
JQ_ESC='def esc: gsub("\\\\"; "\\\\") | gsub("\r"; "\\r") | gsub("\n"; "\\n") | gsub("\t"; "\\t");'

log_lines() { if [ -f "$LOG" ]; then wc -l <"$LOG"; else echo 0; fi; }

# standin_event EVENT AFTER: waits for the first EVENT line of the stand-in's log
# after line AFTER and prints it. A line still being written fails to parse and is
# read again on the next round.
standin_event() {
  local deadline=$((SECONDS + 30)) line
  while ((SECONDS < deadline)); do
    line="$(tail -n +"$(($2 + 1))" "$LOG" 2>/dev/null | jq -c --arg e "$1" 'select(.event == $e)' 2>/dev/null | head -n 1)"
    [ -n "$line" ] && { printf '%s\n' "$line"; return 0; }
    sleep 0.05
  done
  echo "no $1 event in the stand-in's log" >&2
  return 1
}

# events_since EVENT AFTER: how many EVENT lines the log has after line AFTER.
events_since() {
  tail -n +"$(($2 + 1))" "$LOG" | jq -c --arg e "$1" 'select(.event == $e)' | wc -l | tr -d ' '
}

# field FILTER JSON: a value of a log line, strings escaped.
field() { jq -r "$JQ_ESC $1 | if type == \"string\" then esc else . end" <<<"$2"; }

# UTF-16LE bytes of an escaped text as the stand-in's log shows them: "48 C5 55 B1".
utf16le_hex() {
  printf '%b' "$1" | iconv -f UTF-8 -t UTF-16LE | od -An -tx1 -v | tr 'a-f' 'A-F' | tr -s ' \n' '  ' | sed 's/^ //; s/ $//'
}

units() { printf '%b' "$1" | iconv -f UTF-8 -t UTF-16LE | wc -c | awk '{ print $1 / 2 }'; }  # of an escaped text

# expect_box NAME TEXT ICON: a message box titled with the application title shows
# TEXT (escaped) with (1) or without (0) the error icon; it is then closed.
expect_box() {
  local got
  got="$(drv wait-box "$MAIN")"
  check "$1: the box" "$TITLE	$3	$2" "$got"
  drv close-box "$MAIN" >/dev/null
}

# expect_text NAME PATH WANT [timeout]: waits until PATH's text is WANT (escaped); on
# a timeout the check shows the text found.
expect_text() {
  local got
  got="$(drv wait-text-esc "$2" "$3" "${4:-5000}" 2>/dev/null)" || got="$(drv text-esc "$2")"
  check "$1" "$3" "$got"
}

# expect_ended NAME WORDS: waits until the status line's second part, where a send
# stands, says how a send ended: WORDS, then the send's number in this run,
# " (N번째 전송)"; on a timeout the check shows what it showed.
expect_ended() {
  local got
  got="$(drv wait-part-prefix-esc "$MAIN/156" 1 "$2 (" 5000 2>&1)"
  if [[ "$got" =~ ^(.*)\ \([1-9][0-9]*번째\ 전송\)$ ]]; then check "$1" "$2" "${BASH_REMATCH[1]}"
  else check "$1" "$2 (N번째 전송)" "$got"; fi
}

expect_focus() {  # expect_focus NAME ID
  if drv wait-focus "$MAIN/$2" 5000 >/dev/null 2>&1; then check "$1" "$2" "$2"
  else check "$1" "$2" "$(drv focus-of "$MAIN" | cut -d' ' -f1)"; fi
}

showing_page() {  # 1, 2 or 3
  local n
  for n in 1 2 3; do [ "$(drv visible "$MAIN/10$n")" = 1 ] && { echo "$n"; return; }; done
  echo none
}

# goto_page N: Ctrl+Tab until page N shows, each page's text area taking the focus.
goto_page() {
  local areas=(114 131 142) page
  for _ in 1 2 3; do
    page="$(showing_page)"
    [ "$page" = "$1" ] || [ "$page" = none ] && break
    drv key "$MAIN" ctrl+tab >/dev/null
    drv wait-focus "$MAIN/${areas[$((page % 3))]}" 5000 >/dev/null
  done
  check "page $1 shows" "$1" "$(showing_page)"
}

# --- the stand-in, then the workshop ---------------------------------------------------
# Windows left by an earlier run in this prefix would answer in place of ours.
if ! drv wait-gone "$MAIN" 30000 \; wait-gone "$STANDIN_WINDOW" 30000; then
  echo "a workshop or stand-in window of an earlier run is still open" >&2
  exit 1
fi
e2e_start "$STANDIN" --port 0 --log "$LOG"
standin_run=$E2E_LAST
ready="$(standin_event ready 0)"
check "the stand-in listens" "true" "$(field .listening "$ready")"
PORT="$(field .port "$ready")"

e2e_start "$APP"
workshop_run=$E2E_LAST
drv wait-prefix "$MAIN" "Lumvox Workshop V2.0.1.10 - " >/dev/null
STATUS="$(drv text-of "$MAIN/156")"
check "status line with the stand-in running" "Lumvox 실행중입니다.  (^_^)" "$STATUS"

# --- F8 on the third page with a sample picked and the box ticked ----------------------
goto_page 3
drv set-text "$MAIN/142" "typed before ticking" >/dev/null
drv mouse-click "$MAIN/143" >/dev/null
expect_text "ticking the box empties the third page" "$MAIN/142" ""
check "the box is ticked" "1" "$(drv checked "$MAIN/143")"

# 예문 > 높이 with the keyboard: F10, the second menu, down to the fifth entry.
HEIGHT='<pitch absmiddle="5">\r\n노픈소리. 고음입니다.\r\n\r\n<pitch absmiddle="-5">\r\n낮은 목소리. 저음입니다.\r\n\r\n</pitch>\r\n\r\n</pitch>'
drv key "$MAIN" F10 \; key "$MAIN" right \; key "$MAIN" down \; key "$MAIN" down 3 \; key "$MAIN" enter >/dev/null
expect_text "예문 > 높이 fills AppText with the sample and CR LF" "$MAIN/114" "$HEIGHT\r\n"
check "picking a sample leaves the third page showing" "3" "$(showing_page)"

focus_before="$(drv focus-of "$MAIN")"
n=$(log_lines)
drv key "$MAIN" F8 >/dev/null
ev="$(standin_event copydata "$n")"
want="<lumvox>$HEIGHT</lumvox>"
check "F8: the text in the protocol envelope" "$want" "$(field .text "$ev")"
check "F8: dwData, cbData, units, wParam" "1024 236 118 0" "$(field '"\(.dwData) \(.cbData) \(.units) \(.wParam)"' "$ev")"
check "F8: the bytes are the UTF-16LE code units" "$(utf16le_hex "$want")" "$(field .hex "$ev")"
check "F8: no message box" "0" "$(drv boxes "$MAIN")"
check "F8: the status line stays" "$STATUS" "$(drv text-of "$MAIN/156")"
check "F8: the third page stays" "3" "$(showing_page)"
check "F8: the focus stays" "$focus_before" "$(drv focus-of "$MAIN")"
check "F8: AppText keeps its untrimmed text" "$HEIGHT\r\n" "$(drv text-esc "$MAIN/114")"

# A blank text with the box ticked still delivers the bare envelope.
drv set-text-esc "$MAIN/114" ' \t\r\n' >/dev/null
n=$(log_lines)
drv key "$MAIN" F8 >/dev/null
ev="$(standin_event copydata "$n")"
check "F8 blank, box ticked: the bare envelope" "<lumvox></lumvox> 34" "$(field '"\(.text) \(.cbData)"' "$ev")"

# --- the command list: a real double click on an entry ---------------------------------
goto_page 1
# Row 11 lies in the blank area below the nine entries: the selected entry is used.
while read -r row want; do
  drv set-text-esc "$MAIN/114" 'earlier text\r\n' >/dev/null
  drv dblclick-item "$MAIN/113" "$row" >/dev/null
  expect_text "double click on row $row" "$MAIN/114" "$want"
done <<'EOF'
0 <cmd>time</cmd>
3 <cmd>goto:http://</cmd>
8 <cmd>playsong</cmd>
2 <cmd>weather</cmd>
11 <cmd>weather</cmd>
EOF
n=$(log_lines)
drv key "$MAIN" F8 >/dev/null
ev="$(standin_event copydata "$n")"
want="<lumvox><cmd>weather</cmd></lumvox>"
check "F8 sends the command inside the protocol envelope" "$want $((2 * $(units "$want")))" \
  "$(field '"\(.text) \(.cbData)"' "$ev")"

# --- F8 with an empty text, box unticked ------------------------------------------------
goto_page 3
drv set-text "$MAIN/142" "typed before unticking" >/dev/null
drv mouse-click "$MAIN/143" >/dev/null
expect_text "unticking the box empties the third page" "$MAIN/142" ""
check "the box is unticked" "0" "$(drv checked "$MAIN/143")"
drv set-text-esc "$MAIN/114" '  \r\n' >/dev/null
n=$(log_lines)
drv key "$MAIN" F8 >/dev/null
expect_box "F8 with an empty text" "문장을 입력하세요!" 0
check "F8 with an empty text sends nothing" "0" "$(events_since copydata "$n")"

# --- the third page's copy ---------------------------------------------------------------
# Each copy waits for the stand-in's clipboard line: it reads the clipboard right after
# every change and holds it open meanwhile.
copy_case() {  # copy_case NAME TEXT_IN_AREA WANT (both escaped)
  local n ev
  drv set-text-esc "$MAIN/142" "$2" >/dev/null
  n=$(log_lines)
  drv mouse-click "$MAIN/144" >/dev/null
  ev="$(standin_event clipboard "$n")"
  check "$1: the stand-in read" "$3" "$(field .text "$ev")"
  check "$1: the clipboard holds" "$(units "$3")	$3" "$(drv clipboard)"
  check "$1: the text area keeps its text" "$2" "$(drv text-esc "$MAIN/142")"
}
copy_case "copy, box unticked" '  a\r\n' '  a\r\n'
check "the X clipboard offers the copy too" "  a" "$(timeout 10 xclip -o -selection clipboard | tr -d '\r\n')"

drv mouse-click "$MAIN/143" >/dev/null
expect_text "ticking the box again empties the third page" "$MAIN/142" ""
copy_case "copy, box ticked" '클립보드 TTS: 복사한 문장' '<lumvox>클립보드 TTS: 복사한 문장</lumvox>'
drv mouse-click "$MAIN/145" >/dev/null
expect_text "비우기 empties the third page" "$MAIN/142" ""
check "비우기 leaves the clipboard" "33	<lumvox>클립보드 TTS: 복사한 문장</lumvox>" "$(drv clipboard)"
drv mouse-click "$MAIN/143" >/dev/null
expect_text "unticking the box again empties the third page" "$MAIN/142" ""
check "the box is unticked again" "0" "$(drv checked "$MAIN/143")"

# --- a 40,000-unit text by F8 -------------------------------------------------------------
# 4,000 blocks of ten units each, with a character outside the BMP (two units) and
# line breaks inside; the last block ends without one, so trimming keeps everything.
LONG="$E2E_TMP/long.txt"
{
  for _ in $(seq 3999); do printf '가나다😀abc\r\n'; done
  printf '가나다😀abcde'
} >"$LONG"
check "AppText takes the 40,000 units" "40000" "$(drv set-text-file "$MAIN/114" "$LONG")"
n=$(log_lines)
drv key "$MAIN" F8 >/dev/null
ev="$(standin_event copydata "$n")"
check "40,000 units: dwData, cbData, units" "1024 80000 40000" "$(field '"\(.dwData) \(.cbData) \(.units)"' "$ev")"
check "40,000 units arrive whole" "true" "$(jq --rawfile want "$LONG" '.text == $want' <<<"$ev")"

# --- F9 to the stand-in --------------------------------------------------------------------
drv set-text "$MAIN/126" "127.0.0.1" \; set-text "$MAIN/128" "$PORT" \; set-text "$MAIN/131" "안녕 하세요" >/dev/null
n=$(log_lines)
drv key "$MAIN" F9 >/dev/null
ev="$(standin_event http "$n")"
TARGET="/lumvox=%EC%95%88%EB%85%95%20%ED%95%98%EC%84%B8%EC%9A%94=lumvox"
HEADERS="Content-Type: application/x-www-form-urlencoded\r\nHost: 127.0.0.1:$PORT\r\nAccept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\nUser-Agent: Mozilla/3.0 (compatible; Indy Library)"
check "F9: the request line" "GET $TARGET HTTP/1.1" "$(field .requestLine "$ev")"
check "F9: the headers, in order" "$HEADERS" "$(field '.headers | join("\r\n")' "$ev")"
check "F9: the whole request head" "GET $TARGET HTTP/1.1\r\n$HEADERS\r\n\r\n" "$(field .raw "$ev")"
check "F9: the decoded text" "안녕 하세요" "$(field .text "$ev")"
check "F9: the stand-in answered \"sent\"" "sent" "$(field .reply "$ev")"
# The exchange ends off the window's thread; the status line says when.
expect_ended "F9 delivered: the status line says where it went" "전송됨: 네트워크 127.0.0.1:$PORT, 20자"
check "F9 delivered: no message box" "0" "$(drv boxes "$MAIN")"
check "F9: the third page stays" "3" "$(showing_page)"

# --- the preview --------------------------------------------------------------------------
goto_page 2
drv set-text-esc "$MAIN/131" '  hi\r\n' >/dev/null
n=$(log_lines)
drv mouse-click "$MAIN/129" >/dev/null
expect_box "NetPreviewButton previews the untrimmed text" 'lumvox=  hi\r\n=lumvox' 0
check "the preview sends nothing" "0" "$(events_since http "$n")"

# --- F9 answered without "sent" ------------------------------------------------------------
n=$(log_lines)
drv select "$STANDIN_WINDOW/102" 1 \; command "$STANDIN_WINDOW/102" 1 >/dev/null
check "the stand-in now answers without \"sent\"" "nosent" "$(field .reply "$(standin_event reply "$n")")"
n=$(log_lines)
drv key "$MAIN" F9 >/dev/null
check "F9 (nosent): the trimmed text went out" "/lumvox=hi=lumvox" "$(field .target "$(standin_event http "$n")")"
expect_box "F9 answered without \"sent\"" "메세지 전송 에러. 다시 시도해 보십시오!" 0

# --- without the stand-in ------------------------------------------------------------------
drv close "$STANDIN_WINDOW" >/dev/null
check "the stand-in ends" "0" "$(e2e_exit_code "$standin_run" 20)"

drv set-text "$MAIN/114" "안녕하세요" >/dev/null
drv key "$MAIN" F8 >/dev/null
expect_box "F8 without the speech program" "Lumvox를 실행하고 [어플리케이션에서 메세지 받기]를 선택하십시오!" 0
check "the status line keeps what the first activation found" "$STATUS" "$(drv text-of "$MAIN/156")"

# The stand-in's port is closed now; nothing else of ours listens there.
if (exec 3<>"/dev/tcp/127.0.0.1/$PORT") 2>/dev/null; then check "port $PORT is closed" "closed" "open"; fi
drv key "$MAIN" F9 >/dev/null
expect_box "F9 to a closed port" "인터넷이나 와이파이에 접속이 되어 있는지 확인해 보십시오!" 0
expect_ended "F9 to a closed port: the status line names the cause" \
  "127.0.0.1:$PORT 연결이 거부되었습니다 (그 포트에서 기다리는 프로그램이 없습니다)"
check "the second page stays" "2" "$(showing_page)"

# --- the send log (도구 > 전송 기록, Ctrl+L) ---------------------------------------------------
# The failing F9 just above shows its exact cause there; the log saves as JSON lines.
SENDLOG="title:전송 기록"
contains() { case "$2" in *"$1"*) echo yes ;; *) printf 'no: %s\n' "$2" ;; esac; }
drv key "$MAIN" ctrl+l \; wait-window "$SENDLOG" >/dev/null
detail="$(drv text-esc "$SENDLOG/302")"
check "the log shows the last send: F9 to the closed port" "yes" "$(contains "채널: 네트워크" "$detail")"
check "the log names its cause and the address" "yes" "$(contains "127.0.0.1:$PORT 연결이 거부되었습니다" "$detail")"
check "the log names the cause's code" "yes" "$(contains "(connection-refused)" "$detail")"
check "the log shows the request that was to go" "yes" "$(contains "GET /lumvox=hi=lumvox HTTP/1.1" "$detail")"
drv mouse-click "$SENDLOG/303" >/dev/null
check "복사 puts the selected row on the clipboard" "yes" \
  "$(contains '\t네트워크\t16\t닿지 못함\t'"127.0.0.1:$PORT 연결이 거부되었습니다" "$(drv clipboard)")"
SAVED="$E2E_TMP/sends.jsonl"
drv mouse-click "$SENDLOG/304" \; wait-dialog "$SENDLOG" >/dev/null
drv type "class:#32770" "Z:${SAVED//\//\\}" \; key "class:#32770" enter \; wait-gone "class:#32770" >/dev/null
for _ in $(seq 100); do [ -s "$SAVED" ] && break; sleep 0.05; done
check "저장... writes lines that all parse as JSON" "0" "$(jq -c . "$SAVED" >/dev/null 2>&1; echo $?)"
check "the last saved line is the failing F9, with its outcome as the expectation" \
  "net	127.0.0.1:$PORT	true	unreachable	connection-refused	127.0.0.1:$PORT" \
  "$(tail -n 1 "$SAVED" | jq -r '[.channel, .destination, (.text == "  hi\r\n" | tostring), .expect, .cause, .address] | join("\t")')"
check "every send of the run is saved, F8s and copies too" "app clip net" \
  "$(jq -r .channel "$SAVED" | sort -u | tr '\n' ' ' | sed 's/ $//')"
drv close "$SENDLOG" >/dev/null

# --- the file loader, through the open-file dialog -----------------------------------------
goto_page 1
printf '\xEF\xBB\xBF첫 줄\nsecond línea\r\n끝' >"$E2E_TMP/utf8-bom.txt"
{ printf '\xFF\xFE'; printf '한국어 UTF-16\r둘째 줄\n' | iconv -f UTF-8 -t UTF-16LE; } >"$E2E_TMP/utf16le.txt"
{ printf '\xFE\xFF'; printf 'Big-endian 텍스트' | iconv -f UTF-8 -t UTF-16BE; } >"$E2E_TMP/utf16be.txt"
printf '\xEF\xBB\xBFok \xC3\x28 rest' >"$E2E_TMP/invalid-utf8.txt"
printf '안녕 café\n' >"$E2E_TMP/utf8-no-mark.txt"  # Notepad's default: UTF-8 without a mark

# open_file NAME: 프로그램 > 파일 열기 with the keyboard, the path typed into the
# dialog's file name field, Enter. An empty NAME cancels the dialog with Esc.
open_file() {
  drv key "$MAIN" F10 \; key "$MAIN" down \; key "$MAIN" enter >/dev/null
  drv wait-dialog "$MAIN" >/dev/null
  drv wait-focus "class:#32770/1148/@Edit" >/dev/null
  if [ -z "$1" ]; then
    drv key "class:#32770" esc \; wait-gone "class:#32770" >/dev/null
  else
    drv type "class:#32770" "Z:${E2E_TMP//\//\\}\\$1" \; key "class:#32770" enter >/dev/null
  fi
}

while read -r name want; do
  drv set-text-esc "$MAIN/114" 'before loading\r\n' >/dev/null
  open_file "$name"
  expect_text "$name loads into AppText" "$MAIN/114" "$want" 10000
done <<'EOF'
utf8-bom.txt 첫 줄\r\nsecond línea\r\n끝
utf16le.txt 한국어 UTF-16\r\n둘째 줄\r\n
utf16be.txt Big-endian 텍스트
utf8-no-mark.txt 안녕 café\r\n
EOF

drv set-text-esc "$MAIN/114" 'before cancelling\r\n' >/dev/null
open_file ""
check "a cancelled dialog leaves AppText" "0	before cancelling\r\n" "$(drv boxes "$MAIN")	$(drv text-esc "$MAIN/114")"

open_file invalid-utf8.txt
expect_box "an invalid UTF-8 file" "No mapping for the Unicode character exists in the target multi-byte code page." 1
check "AppText is empty after the failed load" "" "$(drv text-esc "$MAIN/114")"

# --- the end --------------------------------------------------------------------------------
drv menu "$MAIN" 202 >/dev/null
check "종료 ends the workshop with exit code 0" "0" "$(e2e_exit_code "$workshop_run" 20)"

e2e_finish
