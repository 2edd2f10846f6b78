#!/usr/bin/env bash
# Writes seed inputs into OUT/<target without "_fuzz">: for sound_fuzz,
# wav_fuzz, bdjo_fuzz and extdata_fuzz from the demo disc, small WAV files
# made by sox and ffmpeg, and the ExtensionData blocks of the demo disc's and
# the corpus's database files; for menu_fuzz and menu_preview_fuzz the demo
# disc's menu (the one menu with effects, windows and cropping); for rle_fuzz
# the run-length data of the objects of the demo and corpus menus; for
# asm_fuzz the program-list rows and command lines that navora-cli disasm
# prints for the demo's and the corpus's MovieObject.bdmv files, and the
# button command lines of the menus. scripts/fuzz.sh calls it.
# Usage: fuzz/make_seeds.sh NAVORA_CLI OUT [CORPUS]
set -euo pipefail
cli="$1"
out="$2"
corpus="${3:-}"
mkdir -p "$out/sound" "$out/wav" "$out/bdjo" "$out/extdata" "$out/menu" "$out/menu_preview" "$out/rle" "$out/asm"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$cli" make-demo "$work/demo" >/dev/null
cp "$work/demo/BDMV/BDJO/00001.bdjo" "$out/bdjo/demo.bdjo"

# WAV files: mono and stereo from sox, stereo with a LIST chunk from ffmpeg,
# and the refused kinds (8 bit, 44.1 kHz, floating point).
sox -V1 -n -r 48000 -b 16 -c 1 "$out/wav/mono.wav" synth 0.001 sine 440
sox -V1 -n -r 48000 -b 16 -c 2 "$out/wav/stereo.wav" synth 0.0015 sine 440 sine 660
ffmpeg -v error -y -f lavfi -i "sine=frequency=1000:sample_rate=48000:duration=0.001" -ac 2 -c:a pcm_s16le \
  "$out/wav/list.wav"
sox -V1 -n -r 48000 -b 8 -c 1 "$out/wav/8bit.wav" synth 0.001 sine 440
sox -V1 -n -r 44100 -b 16 -c 1 "$out/wav/44k.wav" synth 0.001 sine 440
sox -V1 -n -r 48000 -e floating-point -b 32 -c 1 "$out/wav/float.wav" synth 0.001 sine 440

# sound.bdmv: one, two and three entries of a few samples each.
"$cli" sound create "$out/wav/mono.wav" -o "$out/sound/one.bdmv"
"$cli" sound import "$out/sound/one.bdmv" "$out/wav/stereo.wav" -o "$out/sound/two.bdmv" >/dev/null
"$cli" sound import "$out/sound/two.bdmv" "$out/wav/list.wav" --after 0 -o "$out/sound/three.bdmv" >/dev/null

# two.bdmv with an ExtensionData block (one entry, four data bytes) after the data.
python3 - "$out/sound/two.bdmv" "$out/sound/two_ext.bdmv" <<'PY'
import struct, sys
data = bytearray(open(sys.argv[1], "rb").read())
block = struct.pack(">IIxxxBHHII", 24, 24, 1, 0x1000, 1, 24, 4) + b"\xde\xad\xbe\xef"
data[12:16] = struct.pack(">I", len(data))
open(sys.argv[2], "wb").write(bytes(data) + block)
PY

# ExtensionData blocks as they stand in database files (an .exd file is one
# such block): cut from each file at the address its header gives, to its end.
{
  find "$work/demo" -type f \( -name '*.bdmv' -o -name '*.mpls' -o -name '*.clpi' \) -print0
  [ -n "$corpus" ] && [ -d "$corpus" ] &&
    find "$corpus" -type f \( -name '*.bdmv' -o -name '*.mpls' -o -name '*.clpi' \) -print0
  true
} | python3 -c '
import hashlib, os, sys
out = sys.argv[1]
# The offset of ExtensionData_start_address in each file kind header.
at = {"index.bdmv": 12, "MovieObject.bdmv": 8, "sound.bdmv": 12, ".mpls": 16, ".clpi": 24}
seen = set()
for path in sys.stdin.buffer.read().split(b"\0"):
    if not path:
        continue
    name = os.path.basename(path.decode())
    key = name if name in at else os.path.splitext(name)[1]
    if key not in at:
        continue
    data = open(path, "rb").read()
    if len(data) < at[key] + 4:
        continue
    start = int.from_bytes(data[at[key]:at[key] + 4], "big")
    block = data[start:] if 0 < start < len(data) else b""
    if len(block) < 4 or block in seen:
        continue
    seen.add(block)
    open(os.path.join(out, hashlib.sha1(block).hexdigest()[:12] + ".exd"), "wb").write(block)
' "$out/extdata"
# And the block of two_ext.bdmv above.
tail -c 28 "$out/sound/two_ext.bdmv" >"$out/extdata/sound_two.exd"

# The demo disc's menu as .mnu records, from the IG PID of its menu clip.
"$cli" demux "$work/demo/BDMV/STREAM/00090.m2ts" --pid 1400 --mnu -o "$work/demo.mnu" >/dev/null
cp "$work/demo.mnu" "$out/menu/demo.mnu"
cp "$work/demo.mnu" "$out/menu_preview/demo.mnu"

menus=("$work/demo.mnu")
if [ -n "$corpus" ] && [ -d "$corpus" ]; then
  while IFS= read -r -d '' f; do menus+=("$f"); done < <(find "$corpus" -type f -name '*.mnu' -print0 | sort -z)
fi

# rle_fuzz inputs: width - 1 and height - 1 (16 bits each, big-endian), then
# the run-length data of one object, cut after the lines the target decodes
# (it caps an object at 65,536 pixels). A few objects of each menu, each
# coded data once.
python3 - "$out/rle" "${menus[@]}" <<'PY'
import hashlib, os, sys

out = sys.argv[1]
PER_MENU = 8
MAX_PIXELS = 1 << 16

def objects(data):
    """Object id -> [width, height, data length, coded bytes] of each first definition."""
    found = {}
    i = 0
    while i + 13 <= len(data) and data[i:i + 2] == b"IG":
        kind = data[i + 10]
        n = int.from_bytes(data[i + 11:i + 13], "big")
        seg = data[i + 13:i + 13 + n]
        i += 13 + n
        if kind != 0x15 or len(seg) < 4:
            continue
        oid = int.from_bytes(seg[0:2], "big")
        if seg[3] & 0x80:  # first in sequence: data length, width, height, data
            if len(seg) < 11 or oid in found:
                continue
            length = max(int.from_bytes(seg[4:7], "big") - 4, 0)
            found[oid] = [int.from_bytes(seg[7:9], "big"), int.from_bytes(seg[9:11], "big"), length,
                          bytearray(seg[11:])]
        elif oid in found:
            found[oid][3] += seg[4:]
    return found

def cut(code, lines):
    """The codes of the first `lines` lines (each ends with 00 00)."""
    p = y = 0
    while p < len(code) and y < lines:
        b = code[p]
        p += 1
        if b != 0 or p >= len(code):
            continue
        f = code[p]
        p += 1
        if f == 0:
            y += 1
        else:
            p += (0, 1, 1, 2)[f >> 6]
    return bytes(code[:p])

seen = set()
for path in sys.argv[2:]:
    taken = 0
    for oid, (w, h, length, code) in sorted(objects(open(path, "rb").read()).items()):
        if taken == PER_MENU:
            break
        if not 1 <= w <= 4096 or not 1 <= h <= 4096:
            continue
        lines = min(h, MAX_PIXELS // w)
        body = cut(code[:length], lines)
        seed = (w - 1).to_bytes(2, "big") + (lines - 1).to_bytes(2, "big") + body
        if body in seen:
            continue
        seen.add(body)
        taken += 1
        name = os.path.splitext(os.path.basename(path))[0]
        open(os.path.join(out, f"{name}-{oid}-{w}x{lines}.rle"), "wb").write(seed)
PY

# asm_fuzz inputs: the program list disasm prints for each movie object file
# (demo and corpus, each content once), and each of its command lines alone;
# the button command lines of the menus (they use the command families movie
# objects do not: SetButtonPage, Enable/DisableButton, ...).
{
  printf '%s\0' "$work/demo/BDMV/MovieObject.bdmv"
  [ -n "$corpus" ] && [ -d "$corpus" ] && find "$corpus" -type f -name MovieObject.bdmv -print0 | sort -z
  true
} | {
  declare -A done=()
  while IFS= read -r -d '' f; do
    sum=$(sha1sum "$f" | cut -c1-12)
    [ -n "${done[$sum]:-}" ] && continue
    done[$sum]=1
    "$cli" disasm "$f" >"$work/asm-$sum.lst" || true
  done
}
for m in "${menus[@]}"; do
  "$cli" menu dump "$m" >"$work/menu-$(basename "$m" .mnu).json" || true
done
python3 - "$out/asm" "$work" <<'PY'
import glob, hashlib, json, os, re, sys

out, work = sys.argv[1], sys.argv[2]
seen = set()

def add(text, numbers_matter=True):
    """Writes text as a seed once; a command line only once per shape (its
    numbers aside): a menu's hundreds of "Move GPR14, 336" teach nothing new."""
    text = text.strip("\n")
    key = text if numbers_matter else re.sub(r"[0-9]+", "0", text.strip())
    if text.strip() and key not in seen:
        seen.add(key)
        open(os.path.join(out, hashlib.sha1(text.encode()).hexdigest()[:12] + ".txt"), "w").write(text)

def lines(node):
    if isinstance(node, dict):
        if isinstance(node.get("line"), str) and "words" in node:
            yield node["line"]
        for v in node.values():
            yield from lines(v)
    elif isinstance(node, list):
        for v in node:
            yield from lines(v)

for path in sorted(glob.glob(os.path.join(work, "asm-*.lst"))):
    listing = open(path).read()
    add(listing)
    for row in listing.splitlines():
        # The command line after the words: "0003  [w0,w1 ,w2 ]  Move GPR3, 5".
        if "]" in row:
            add(row.split("]", 1)[1], numbers_matter=False)
for path in sorted(glob.glob(os.path.join(work, "menu-*.json"))):
    try:
        menu = json.load(open(path))
    except ValueError:
        continue
    for line in lines(menu):
        add(line, numbers_matter=False)
PY
