#!/usr/bin/env bash
# End to end: the workshop's start-up, first activation, layout, resizing, keys and
# exit, under Wine on a private Xvfb display, at 96 DPI or at another DPI (in a prefix
# of its own, made with its LogPixels set to it).
# usage: main_window_e2e.sh LumvoxWorkshop.exe lumvox_e2e_driver.exe [dpi]
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
APP="$1"
E2E_DRIVER="$2"
DPI="${3:-96}"
MAIN=class:TfrmLumvoxMsgTest
# The prefix for another DPI is made with its LogPixels set to it.
if [ "$DPI" != 96 ]; then export LUMVOX_WINE_KIND="gui$DPI"; fi
e2e_start_display

# A length at 96 DPI in pixels at the test's DPI, rounded as MulDiv rounds.
S() { echo $(( ($1 * DPI + 48) / 96 )); }

# Each control: id, bounds at 96 DPI as laid out, and its rule (f fixed, s stretches,
# m moves by d = client height - 492, both at the test's DPI).
LAYOUT="
100 PageTabs 0 8 634 312 s
101 AppPage 4 25 626 283 s
110 AppIntroShape 16 8 600 43 f
111 AppIntroLabel 52 15 522 28 f
112 CommandListLabel 16 64 82 14 f
113 CommandList 16 87 85 186 s
114 AppText 124 64 492 182 s
115 AppSendButton 124 253 368 24 m
116 AppClearButton 514 253 102 24 m
102 NetPage 4 25 626 283 s
120 NetIntroShape 13 8 600 43 f
121 NetIntroLabel 80 15 465 28 f
122 NetProtocolLabel 61 58 492 14 f
123 NetRelayShape 13 81 600 43 f
124 NetRelayLabel 41 89 544 28 f
125 NetHostLabel 17 141 67 14 f
126 NetHostEdit 95 138 121 22 f
127 NetPortLabel 243 141 23 14 f
128 NetPortEdit 283 138 58 22 f
129 NetPreviewButton 360 138 237 22 f
130 NetTextLabel 48 166 36 14 f
131 NetText 95 166 502 74 s
132 NetSendButton 95 250 502 24 m
103 ClipPage 4 25 626 283 s
140 ClipIntroShape 13 8 600 43 f
141 ClipIntroLabel 43 22 539 14 f
142 ClipText 13 64 600 179 s
143 UseProtocolCheck 13 254 97 17 m
144 ClipCopyButton 122 252 373 24 m
145 ClipClearButton 513 252 100 24 m
150 MarkupHeadingShape 128 333 220 50 m
151 MarkupHeadingLabel 174 343 131 14 m
152 MarkupList 14 367 442 94 m
153 LanguageHeadingShape 501 333 84 50 m
154 LanguageHeadingLabel 517 343 53 14 m
155 LanguageList 467 367 153 94 m
"

# Shapes are painted by the page or window they stand on: no window of their own.
# Captions are windows, and drawn as if painted. The fill each shape is painted
# with, as the screen shows it.
is_painted() { case "$1" in *Shape) return 0 ;; esac; return 1; }
is_seen_drawn() { case "$1" in *Shape|*Label) return 0 ;; esac; return 1; }
declare -A FILL=([AppIntroShape]=FBF0B3 [MarkupHeadingShape]=808080 [LanguageHeadingShape]=808080)

# Compares every control's bounds with the table for the window's current client height.
check_layout() {
  local label="$1" dump client cw ch d id name x y w h rule expected actual
  dump="$(drv dump "$MAIN")"
  client="$(drv client-of "$MAIN")"
  read -r cw ch <<<"$client"
  d=$((ch - $(S 492)))
  while read -r id name x y w h rule; do
    [ -z "$id" ] && continue
    x=$(S "$x"); y=$(S "$y"); w=$(S "$w"); h=$(S "$h")
    case "$rule" in s) h=$((h + d)) ;; m) y=$((y + d)) ;; esac
    expected="$x $y $w $h"
    actual="$(awk -v id="$id" '$1 == id { print $3, $4, $5, $6; exit }' <<<"$dump")"
    if is_painted "$name"; then check "$label: $name has no window" "" "$actual"
    else check "$label: $name bounds (d=$d)" "$expected" "$actual"; fi
  done <<<"$LAYOUT"
  # The status line stays on the bottom edge across the whole client width.
  check "$label: StatusLine bounds" "0 $((ch - $(S 19))) $cw $(S 19)" "$(awk '$1 == 156 { print $3, $4, $5, $6 }' <<<"$dump")"
  check "$label: windows of the layout" "31" "$(awk '$1 >= 100 && $1 < 200' <<<"$dump" | wc -l | tr -d ' ')"
  check_painted "$label"
}

# painted_seen: for each shape and caption of the first page and below the pages, at
# its place for the present client height, "NAME EXPECTED SEEN" from one screenshot:
# a shape's fill just inside its left edge, and for a label whether its bounds hold
# more than one colour (its caption is drawn there).
painted_seen() {
  local ch d page_x page_y main_x main_y id name x y w h rule ox oy shot="$E2E_TMP/painted.png"
  ch="$(drv client-of "$MAIN" | cut -d' ' -f2)"
  d=$((ch - $(S 492)))
  read -r page_x page_y <<<"$(drv client-origin "$MAIN/101")"
  read -r main_x main_y <<<"$(drv client-origin "$MAIN")"
  import -window root "$shot" || return
  while read -r id name x y w h rule; do
    is_seen_drawn "$name" || continue
    case "$id" in 11?) ox=$page_x; oy=$page_y ;; 15?) ox=$main_x; oy=$main_y ;; *) continue ;; esac
    x=$(S "$x"); y=$(S "$y"); w=$(S "$w"); h=$(S "$h")
    [ "$rule" = m ] && y=$((y + d))
    case "$name" in
      *Shape) echo "$name ${FILL[$name]} $(convert "$shot" -format "%[hex:p{$((ox + x + $(S 3))),$((oy + y + h / 2))}]" info: | cut -c1-6)" ;;
      *Label) echo "$name drawn $(convert "$shot" -crop "${w}x${h}+$((ox + x))+$((oy + y))" +repage -format %k info: |
                awk '{ print ($1 > 1) ? "drawn" : "blank" }')" ;;
    esac
  done <<<"$LAYOUT"
}

# Painting follows a resize in the window's own time: waits until every painted
# control shows as expected, then checks what was last seen.
check_painted() {
  local seen name expected actual i
  for i in $(seq 50); do
    seen="$(painted_seen)"
    awk '$2 != $3 { bad = 1 } END { exit bad }' <<<"$seen" && break
    sleep 0.1
  done
  while read -r name expected actual; do
    check "$1: $name painted in its place" "$expected" "$actual"
  done <<<"$seen"
  check "$1: painted controls seen" "7" "$(grep -c . <<<"$seen")"
}

# --- a start without the speech program -------------------------------------------
e2e_start "$APP"
first=$E2E_LAST
title="$(drv wait-prefix "$MAIN" "Lumvox Workshop V2.0.1.10 - " 30000)" || { echo "FAIL the window did not come up"; e2e_finish; }
check "title after the first activation" "Lumvox Workshop V2.0.1.10 - Speech Test Bench" "$title"
check "application window titles the task-bar entry and owns the main window" \
  "Lumvox Workshop V2" "$(drv owner-of "$MAIN")"
check_match "NetHostEdit holds a dotted IPv4 address" \
  '^(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])(\.(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])){3}$' \
  "$(drv text-of "$MAIN/126")"
check "status line without the speech program" "Lumvox를 먼저 실행해 주세요.  (-___-)a" "$(drv text-of "$MAIN/156")"
check "NetPortEdit default" "7070" "$(drv text-of "$MAIN/128")"
check "first page showing, others hidden" "1 0 0" \
  "$(drv visible "$MAIN/101" \; visible "$MAIN/102" \; visible "$MAIN/103" | tr '\n' ' ' | sed 's/ $//')"
check "focus in AppText" "114 Edit" "$(drv focus-of "$MAIN")"

# Centred in the work area of its monitor.
read -r wx wy ww wh <<<"$(drv work-area "$MAIN")"
read -r x y w h <<<"$(drv rect-of "$MAIN")"
check "outer width" "$(S 650)" "$w"
check "centred horizontally" "$((wx + (ww - w) / 2))" "$x"
check "centred vertically" "$((wy + (wh - h) / 2))" "$y"

check_layout "as opened"

# --- resizing ------------------------------------------------------------------------
read -r cw ch <<<"$(drv client-of "$MAIN")"
# 100 pixels (at 96 DPI) taller than the laid-out client area of 492.
taller=$((h + $(S 592) - ch))
check "resize to a client height of 592" "$(S 650) $taller" "$(drv resize "$MAIN" "$(S 650)" "$taller")"
check "client height 592" "$(S 592)" "$(drv client-of "$MAIN" | cut -d' ' -f2)"
check "AppText 282 high" "$(( $(S 182) + $(S 100) ))" "$(drv rect-of "$MAIN/114" | cut -d' ' -f4)"
check "AppSendButton at top 353" "$(( $(S 253) + $(S 100) ))" "$(drv rect-of "$MAIN/115" | cut -d' ' -f2)"
check "MarkupList at top 467" "$(( $(S 367) + $(S 100) ))" "$(drv rect-of "$MAIN/152" | cut -d' ' -f2)"
check "status line on the bottom edge" "$(( $(S 592) - $(S 19) )) $(S 19)" "$(drv rect-of "$MAIN/156" | cut -d' ' -f2,4)"
check_layout "100 pixels taller"
check "width cannot grow" "$(S 650) $taller" "$(drv resize "$MAIN" "$(S 700)" "$taller")"
check "width cannot shrink" "$(S 650) $taller" "$(drv resize "$MAIN" "$(S 600)" "$taller")"
check "height not below 550" "$(S 650) $(S 550)" "$(drv resize "$MAIN" "$(S 650)" "$(S 500)")"
check_layout "at the least height"

# --- pages and keys ------------------------------------------------------------------
# expect_focus NAME ID: waits until the control ID has the focus.
expect_focus() {
  if drv wait-focus "$MAIN/$2" 5000 >/dev/null 2>&1; then check "$1" "$2" "$2"
  else check "$1" "$2" "$(drv focus-of "$MAIN" | cut -d' ' -f1)"; fi
}

drv key "$MAIN" ctrl+tab >/dev/null
expect_focus "Ctrl+Tab focuses NetText" 131
check "Ctrl+Tab shows the second page" "0 1" "$(drv visible "$MAIN/101" \; visible "$MAIN/102" | tr '\n' ' ' | sed 's/ $//')"
drv key "$MAIN" ctrl+tab >/dev/null
expect_focus "Ctrl+Tab focuses ClipText" 142
check "third page showing" "1" "$(drv visible "$MAIN/103")"
drv key "$MAIN" ctrl+tab >/dev/null
expect_focus "Ctrl+Tab wraps to AppText" 114
drv key "$MAIN" ctrl+shift+tab >/dev/null
expect_focus "Ctrl+Shift+Tab wraps back to ClipText" 142

# Tab visits: ClipText, UseProtocolCheck, MarkupList, LanguageList, the tab strip.
for id in 143 152 155 100 142; do
  drv key "$MAIN" tab >/dev/null
  expect_focus "Tab order on the third page reaches $id" "$id"
done
drv key "$MAIN" shift+tab >/dev/null
expect_focus "Shift+Tab goes back to the tab strip" 100
drv key "$MAIN" left >/dev/null
expect_focus "an arrow key on the tab strip changes the page and focuses its text area" 131
check "the second page shows" "1" "$(drv visible "$MAIN/102")"
drv key "$MAIN" ctrl+shift+tab >/dev/null
expect_focus "Ctrl+Shift+Tab from the second page goes to the first" 114

# A click on a push button runs its handler and leaves the focus where it was.
drv set-text "$MAIN/114" "some text" >/dev/null
drv mouse-click "$MAIN/116" >/dev/null
check "AppClearButton empties AppText" "" "$(drv wait-text "$MAIN/114" "" 5000 2>&1)"
check "focus stays after clicking AppClearButton" "114 Edit" "$(drv focus-of "$MAIN")"

# What a screen reader reads from another process, with the first page showing: the
# tool buttons are push buttons (role 43) named by their captions, unavailable or
# invisible (32768) as they stand, with "누르기" as the default action; it clicks the
# button and the focus stays. The text boxes (role 42) are named by their captions.
while IFS='|' read -r path want; do
  [ -n "$path" ] && check "accessible object $path" "$want" "$(drv acc-of "$MAIN/$path")"
done <<'ROWS'
101/115|43 0 누르기 보내기   (F8)
101/116|43 0 누르기 비우기
102/129|43 32768 누르기 보낼 메시지 미리보기 (with Protocol)
102/132|43 32768 누르기 보내기   (F9)
103/144|43 32768 누르기 클립보드로 복사하기
103/145|43 32768 누르기 비우기
ROWS
while IFS='|' read -r path want; do
  [ -n "$path" ] && check "accessible name of $path" "$want" "$(drv acc-of "$MAIN/$path" | cut -d' ' -f1,4-)"
done <<'ROWS'
101/114|42 Lumvox의 [어플리케이션 수신 모드]를 작동시키면, 같은 컴퓨터(로컬)에 설치된 다른 프로그램이 보낸 메세지를 받아 읽어줍니다.
102/126|42 보낼 곳의 IP
102/128|42 Port
102/131|42 메세지
103/142|42 Lumvox 환경설정에서 [클립보드 TTS] 기능을 켜면 지정한 시간마다 클립보드의 텍스트를 읽습니다.
ROWS
drv set-text "$MAIN/114" "read aloud" >/dev/null
check "the default action is done" "00000000" "$(drv acc-do "$MAIN/101/116")"
check "the default action empties AppText" "" "$(drv wait-text "$MAIN/114" "" 5000 2>&1)"
check "focus stays after the default action" "114 Edit" "$(drv focus-of "$MAIN")"
drv key "$MAIN" tab >/dev/null
expect_focus "Tab from AppText goes to CommandList" 113

# The general error report: a double click on the command list before any entry
# was selected.
drv command "$MAIN/113" 2 >/dev/null
check "error report text" "List index out of bounds (-1)" "$(drv wait-window "class:#32770/65535")"
check "error report title" "Lumvox Workshop V2" "$(drv text-of "class:#32770")"
check "error report has the error icon" "1" "$(drv has-icon "class:#32770/1088")"
drv click "class:#32770/1" >/dev/null
drv wait-gone "class:#32770" >/dev/null
check "the window goes on after the report" "1" "$(drv visible "$MAIN")"

# F8 and F9, with modifiers, run the two sends from the third page; their refusals
# come in plain boxes. No address is given to F9, so nothing leaves the machine.
drv set-text "$MAIN/114" "" \; set-text "$MAIN/126" "" >/dev/null
drv key "$MAIN" ctrl+tab >/dev/null
expect_focus "Ctrl+Tab from CommandList goes to the second page" 131
drv key "$MAIN" ctrl+tab >/dev/null
expect_focus "and on to the third" 142
for chord in F8 alt+F8 shift+F9 ctrl+F9; do
  case "$chord" in *F8) want="문장을 입력하세요!" ;; *) want="IP와 Port 번호를 입력하세요!" ;; esac
  drv key "$MAIN" "$chord" >/dev/null
  check "$chord runs its send from the third page" "$want" "$(drv wait-window "class:#32770/65535" 5000)"
  check "$chord: the box's title" "Lumvox Workshop V2" "$(drv text-of "class:#32770")"
  check "$chord: the box has no icon" "0" "$(drv has-icon "class:#32770/1088")"
  drv click "class:#32770/1" >/dev/null
  drv wait-gone "class:#32770" >/dev/null
  expect_focus "$chord: the focus stays in ClipText" 142
  check "$chord: the third page stays" "1" "$(drv visible "$MAIN/103")"
done
drv key "$MAIN" ctrl+tab >/dev/null
expect_focus "back to the first page" 114

# "도구" > "마크업 검사" (Ctrl+K, command 232) checks the showing page's text: the
# findings in a plain box, the caret at the first of them; nothing is sent.
drv set-text "$MAIN/114" $'<volume level="200">x</volume>\r\n<emph>y' \; key "$MAIN" ctrl+k >/dev/null
check "Ctrl+K: the findings" $'1:16 경고: level="200" 값이 0..100 범위를 벗어나 잘립니다.\n2:1 오류: <emph> 태그가 닫히지 않았습니다.' \
  "$(drv wait-window "class:#32770/65535" 5000 | tr -d '\r')"
check "Ctrl+K: the box's title" "Lumvox Workshop V2" "$(drv text-of "class:#32770")"
check "Ctrl+K: the box has no icon" "0" "$(drv has-icon "class:#32770/1088")"
drv click "class:#32770/1" >/dev/null
drv wait-gone "class:#32770" >/dev/null
expect_focus "Ctrl+K: the focus is in AppText" 114
check "Ctrl+K: the caret at the first finding" "15 15" "$(drv sel-of "$MAIN/114")"
check "Ctrl+K types nothing into the text" $'<volume level="200">x</volume>\r\n<emph>y' "$(drv text-of "$MAIN/114")"
drv set-text "$MAIN/114" "<emph>y</emph>" \; menu "$MAIN" 232 >/dev/null
check "마크업 검사 without findings" "문제가 없습니다." "$(drv wait-window "class:#32770/65535" 5000)"
drv click "class:#32770/1" >/dev/null
drv wait-gone "class:#32770" >/dev/null
check "the checked text stays as it was" "<emph>y</emph>" "$(drv text-of "$MAIN/114")"

# Every page button and the way back to the text from the keyboard alone: each row is
# run by its key and again by its "도구" entry, and its effect checked. A row's text
# goes into its control first, with "k" or "m" added; "@" in the effect stands for it.
# page | key | entry | control | text | effect | want
KEYBOARD_TABLE='
1|F8|233|114||box|문장을 입력하세요!
2|F9|234|126||box|IP와 Port 번호를 입력하세요!
2|ctrl+p|235|131|hi|box|lumvox=@=lumvox
3|ctrl+b|236|142|ab|clipboard|3	@
1|ctrl+e|237|114|ab|text|
3|ctrl+e|237|142|ab|text|
1|ctrl+t|238|114|ab|focus|114
2|ctrl+t|238|131|ab|focus|131
3|ctrl+t|238|142|ab|focus|142
'
goto_page() {  # goto_page 1..3, by Ctrl+Tab
  for _ in 1 2 3; do
    [ "$(drv visible "$MAIN/$((100 + $1))")" = 1 ] && return
    drv key "$MAIN" ctrl+tab >/dev/null
    drv wait-focus "$MAIN/$(case $1 in 1) echo 114 ;; 2) echo 131 ;; 3) echo 142 ;; esac)" 2000 >/dev/null 2>&1
  done
}
while IFS='|' read -r page key entry control text effect want; do
  [ -n "$page" ] || continue
  for way in k m; do
    goto_page "$page"
    given="${text:+$text$way}"
    drv set-text "$MAIN/$control" "$given" >/dev/null
    drv set-text "$MAIN/126" "" >/dev/null  # no address: no send leaves the machine
    [ "$effect" = focus ] && { drv key "$MAIN" tab >/dev/null; drv wait-focus "$MAIN/152" 2000 >/dev/null 2>&1; }
    if [ "$way" = k ]; then name="$key on page $page"; drv key "$MAIN" "$key" >/dev/null
    else name="도구 entry $entry on page $page"; drv menu "$MAIN" "$entry" >/dev/null; fi
    expected="${want//@/$given}"
    case "$effect" in
      box)
        check "$name: the box" "$expected" "$(drv wait-window "class:#32770/65535" 5000)"
        drv click "class:#32770/1" >/dev/null
        drv wait-gone "class:#32770" >/dev/null ;;
      clipboard)
        for _ in $(seq 50); do [ "$(drv clipboard)" = "$expected" ] && break; sleep 0.1; done
        check "$name: the clipboard" "$expected" "$(drv clipboard)" ;;
      text) check "$name: the showing page's text" "$expected" "$(drv wait-text "$MAIN/$control" "$expected" 5000 2>&1)" ;;
      focus) expect_focus "$name: the focus" "$expected" ;;
    esac
    check "$name: the page stays" "1" "$(drv visible "$MAIN/$((100 + page))")"
  done
done <<<"$KEYBOARD_TABLE"

# Enter in the command list inserts the selected command, as a double click does.
goto_page 1
drv set-text "$MAIN/114" "" >/dev/null
drv key "$MAIN" tab >/dev/null
expect_focus "Tab from AppText to CommandList" 113
drv key "$MAIN" home \; key "$MAIN" enter >/dev/null
check "Enter in CommandList inserts the selected command" "<cmd>time</cmd>" "$(drv wait-text "$MAIN/114" "<cmd>time</cmd>" 5000 2>&1)"
drv key "$MAIN" ctrl+t >/dev/null
expect_focus "Ctrl+T from CommandList back to AppText" 114

# Minimising and restoring does not run the activation routine again.
drv set-text "$MAIN/126" "10.9.8.7" >/dev/null
drv syscommand "$MAIN" minimize >/dev/null
drv wait-gone "$MAIN" 100 >/dev/null 2>&1
for _ in $(seq 100); do [ "$(drv visible "$MAIN")" = 0 ] && break; done
check "minimised: main window hidden" "0" "$(drv visible "$MAIN")"
drv syscommand "title:Lumvox Workshop V2" restore >/dev/null
drv wait-window "$MAIN" >/dev/null
check "restored: the typed address stays" "10.9.8.7" "$(drv text-of "$MAIN/126")"
# Waits out a restore still under way; a changed title shows as the last one seen.
check "restored: the title stays" "$title" "$(drv wait-text "$MAIN" "$title" 5000 2>&1)"

# "종료" ends the program with exit code 0.
drv menu "$MAIN" 202 >/dev/null
check "종료 ends the program with exit code 0" "0" "$(e2e_exit_code "$first" 20)"

# --- a start with the speech program's window present ----------------------------
e2e_start "$E2E_DRIVER" make-window Lumvox
drv wait-window "title:Lumvox" >/dev/null
e2e_start "$APP"
second=$E2E_LAST
drv wait-prefix "$MAIN" "Lumvox Workshop V2.0.1.10 - " >/dev/null
check "status line with the speech program" "Lumvox 실행중입니다.  (^_^)" "$(drv text-of "$MAIN/156")"
drv close "$MAIN" >/dev/null
check "closing the window ends the program with exit code 0" "0" "$(e2e_exit_code "$second" 20)"
drv close "title:Lumvox" >/dev/null

e2e_finish
