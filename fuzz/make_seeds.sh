#!/usr/bin/env bash
# Writes seed inputs for sound_fuzz, wav_fuzz and bdjo_fuzz into OUT/sound,
# OUT/wav and OUT/bdjo, from the demo disc and small WAV files made by sox
# and ffmpeg. Usage: fuzz/make_seeds.sh NAVORA_CLI OUT
set -euo pipefail
cli="$1"
out="$2"
mkdir -p "$out/sound" "$out/wav" "$out/bdjo"
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
