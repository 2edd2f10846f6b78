#!/usr/bin/env bash
# Writes seed inputs for sound_fuzz, wav_fuzz, bdjo_fuzz and extdata_fuzz into
# OUT/sound, OUT/wav, OUT/bdjo and OUT/extdata, from the demo disc, small WAV
# files made by sox and ffmpeg, and the ExtensionData blocks of the demo
# disc's and the corpus's database files. scripts/fuzz.sh calls it.
# Usage: fuzz/make_seeds.sh NAVORA_CLI OUT [CORPUS]
set -euo pipefail
cli="$1"
out="$2"
corpus="${3:-}"
mkdir -p "$out/sound" "$out/wav" "$out/bdjo" "$out/extdata"
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
