#!/bin/bash
# Checks the built user manual:
#
#   tests/dist/manual_check.sh PDF
#
# The PDF's text holds the manual's key headings and, word for word, the
# program's messages that it explains; every font is embedded; it holds at
# least as many images as the screenshots the manual source uses.
# Needs poppler-utils (pdftotext, pdffonts, pdfimages).
set -euo pipefail

if [ $# -ne 1 ]; then
    echo "usage: $0 PDF" >&2
    exit 2
fi
pdf=$1
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source_html="$repo/docs/manual/manual.html"

for tool in pdftotext pdffonts pdfimages; do
    if ! command -v "$tool" >/dev/null; then
        echo "manual_check: '$tool' is missing (Debian package poppler-utils)" >&2
        exit 1
    fi
done
if [ ! -s "$pdf" ]; then
    echo "manual_check: FAIL: no PDF at '$pdf'" >&2
    exit 1
fi

failures=0
fail() { echo "manual_check: FAIL: $*" >&2; failures=$((failures + 1)); }

# --- text -----------------------------------------------------------------
# Compared without any white space, so that line breaks (in a message box or
# where the PDF wraps a line) do not matter.
squeeze() { tr -d ' \t\r\n\f\v'; }
if ! text=$(pdftotext -enc UTF-8 "$pdf" - 2>/dev/null | squeeze); then
    fail "pdftotext cannot read '$pdf'"
    text=
fi

expected=(
    # title and headings
    "Vantora GPS Utility 取扱説明書"
    "目次"
    "1. はじめに"
    "動作環境"
    "2. インストールとアンインストール"
    "VantoraGPS-1.0-setup.exe"
    "アプリと機能"
    "プログラムのアンインストール"
    "zip 版を使う"
    "3. 写真に位置情報を付けるまでの流れ"
    "4. 画面の説明"
    "取り込み画面"
    "タイムゾーン設定"
    "処理中の表示"
    "写真画面"
    "画像データ詳細"
    "撮影時間調整"
    "バージョン情報"
    "5. タイムゾーンと撮影時刻の調整"
    "カメラの時計が 1 時間 5 分遅れていた場合"
    "6. 「?」が表示されたときは"
    "7. ログの保存場所"
    "ドキュメント\\Korvel\\GPSApp"
    "8. 困ったときは"
    "9. メッセージ一覧"
    # button and label texts
    "位置情報をパソコンへ取り込む"
    "位置情報を画像データに追加する"
    "表示されている位置情報を付加する"
    "撮影時間を調整"
    "新しく作業を開始する"
    "Google Earthで確認"
    "進める"
    "戻す"
    # the program's messages, exactly
    "マッチングが正しくない可能性があります。"
    "Google Earthがインストールされていません。"
    "Exif 2.1以降のJPEGファイルにのみ対応しています。"
    "pdfファイルに対応したアプリケーションが インストールされているかご確認下さい。"
    "リストに登録できる写真は2000個までです。"
    "GPSユニット内のログファイルを削除しますか？"
    "パソコンへのコピーを確認できなかったログファイルは削除しませんでした。"
    "日時に重複のあるファイルは登録できません。"
    "リストに登録できるのは1000個までです。"
    "登録済みのファイルを追加しようとしました。"
    "すべての画像データに位置情報を付加しますか？"
    "マッチングの有効性に疑問のあるファイルが含まれています。 すべての画像データに位置情報を付加しますか？"
    "ログファイルが登録されていません。"
    "位置情報を付加しました。"
    "リストをクリアして取り込み画面に戻ります。 よろしいですか？"
    "アプリケーションを終了します。 よろしいですか?"
    "※画像データの情報が変更されます。"
)
missing_text=0
for want in "${expected[@]}"; do
    squeezed=$(printf '%s' "$want" | squeeze)
    # The IPA fonts draw the backslash as a yen sign; pdftotext gives either.
    alt=${squeezed//\\/¥}
    if [[ "$text" != *"$squeezed"* && "$text" != *"$alt"* ]]; then
        fail "text missing: $want"
        missing_text=$((missing_text + 1))
    fi
done

# --- fonts ----------------------------------------------------------------
# pdffonts: two header lines, then one line per font; "emb" is the fifth
# column from the right (emb sub uni object-number generation).
if ! fonts=$(pdffonts "$pdf" 2>/dev/null); then
    fail "pdffonts cannot read '$pdf'"
    fonts=
fi
font_count=$(printf '%s\n' "$fonts" | tail -n +3 | grep -c . || true)
if [ "$font_count" -eq 0 ]; then
    fail "the PDF has no fonts at all (no text?)"
fi
not_embedded=$(printf '%s\n' "$fonts" | tail -n +3 | awk 'NF >= 6 && $(NF-4) != "yes" { print $1 }')
if [ -n "$not_embedded" ]; then
    fail "fonts not embedded: ${not_embedded//$'\n'/ }"
fi

# --- images ---------------------------------------------------------------
if [ -f "$source_html" ]; then
    wanted_images=$(grep -o 'src="images/[^"]*\.png"' "$source_html" | sort -u | grep -c . || true)
else
    fail "no manual source at $source_html to count its screenshots"
    wanted_images=1
fi
if ! image_list=$(pdfimages -list "$pdf" 2>/dev/null); then
    fail "pdfimages cannot read '$pdf'"
    image_list=
fi
images=$(printf '%s\n' "$image_list" | tail -n +3 | awk '$3 == "image"' | grep -c . || true)
if [ "$images" -lt "$wanted_images" ]; then
    fail "the PDF holds $images images, the manual uses $wanted_images screenshots"
fi

if [ "$failures" -gt 0 ]; then
    echo "manual_check: $failures check(s) failed for $pdf" >&2
    exit 1
fi
echo "manual_check: OK: $pdf (${#expected[@]} texts, $font_count fonts embedded, $images images for $wanted_images screenshots)"
