#!/usr/bin/env bash
# Builds the settings readers' fuzz target with clang's libFuzzer and runs it
# for a bounded time. Exits 77 (skipped) when clang or its fuzzer runtime is
# missing. Arguments: source folder, work folder, seconds, Qt include folders
# (colon-separated), Qt Core library.
set -euo pipefail
source_dir=$1 work_dir=$2 seconds=$3 qt_includes=$4 qt_core=$5

if ! command -v clang++ >/dev/null; then
  echo "clang++ is not installed: fuzzing skipped"
  exit 77
fi
mkdir -p "$work_dir/corpus"
includes=()
IFS=: read -ra folders <<<"$qt_includes"
for folder in "${folders[@]}"; do includes+=(-isystem "$folder"); done

target="$work_dir/fuzz_settings_readers"
if ! clang++ -std=c++17 -O1 -g -fPIC -fsanitize=fuzzer,address,undefined -DQT_CORE_LIB \
    -I"$source_dir" -I"$source_dir/tests" "${includes[@]}" \
    "$source_dir/tests/fuzz/fuzz_settings_readers.cpp" \
    "$source_dir/settings/JobSettings.cpp" "$source_dir/settings/JobSettingsFile.cpp" \
    "$source_dir/settings/SavedSettings.cpp" "$source_dir/settings/SettingText.cpp" \
    "$source_dir/settings/OwnerOnlyFilePosix.cpp" "$source_dir/convert/WholeFile.cpp" \
    "$qt_core" -o "$target" 2>"$work_dir/build.log"; then
  if grep -q "libclang_rt.fuzzer\|fsanitize=fuzzer" "$work_dir/build.log"; then
    echo "clang's fuzzer runtime is not installed: fuzzing skipped"
    exit 77
  fi
  cat "$work_dir/build.log"
  exit 1
fi

# Seeds: the job file and settings file forms.
printf 'mssqlserver=db\r\nprocesstable=1\r\nalltables=0\r\ntables1=Orders\r\n' >"$work_dir/corpus/job"
printf '\xEF\xBB\xBFMSSQLSERVER =x\rprocesstable=-9\ntables2= Items\t\n' >"$work_dir/corpus/bom"
printf '[General]\nprocesstable=9\nCharacter%%20Set=3\nWindows%%20Authentication=1\n' >"$work_dir/corpus/settings"
# A slow input counts as a failure: no input may make a reader hang.
exec "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 -max_len=4096 "$work_dir/corpus"
