#!/usr/bin/env bash
# Makes a folder that stands for a game disc, so the program can be tried without the game:
# it holds "mildor4", a sparse file of exactly the archive length of DISC2 (or DISC1), which
# takes almost no space on the drive. The movies cut from it are all zeros.
#   scripts/make-demo-disc.sh [--disc1] [FOLDER]      FOLDER defaults to ./demo-disc
set -euo pipefail

disc2_length=208545792
disc1_length=255995904

length=$disc2_length disc=DISC2
if [ "${1:-}" = --disc1 ]; then
  length=$disc1_length disc=DISC1
  shift
fi
case ${1:-} in -*) echo "usage: $0 [--disc1] [FOLDER]" >&2; exit 2 ;; esac
folder=${1:-./demo-disc}
archive=$folder/mildor4

mkdir -p "$folder"
# Never overwrite an archive that is not one of ours: a real disc copy has the same name.
if [ -e "$archive" ]; then
  size=$(stat -c %s "$archive")
  if [ "$size" != "$disc1_length" ] && [ "$size" != "$disc2_length" ] || [ "$(stat -c %b "$archive")" -gt 2048 ]; then
    echo "$archive exists and is not a demo archive; leaving it alone." >&2
    exit 1
  fi
  rm -f "$archive"
fi
truncate -s "$length" "$archive"

cat <<MSG
Made a demo $disc in $folder ($length bytes, sparse).
In the program, pick "フォルダを指定..." in the drive selector and choose
  $(cd "$folder" && pwd)
then choose an output folder with "参照..." and press "全て分割".
MSG
