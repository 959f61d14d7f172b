#!/bin/bash
# tandemix-hlslc as a shader author uses it: every shipped shader compiles (exit 0, nothing printed);
# errors come as FILE(LINE): error: ... with exit 1; -o writes the GLSL with its register map; -I folders
# serve includes; -T picks the stage; the shader-model limits are reported by name; a file that crashes
# glslang is an error like any other.
#   hlslc_test.sh <tandemix-hlslc> <shader folder> <work folder> <glslang crash fixture>
set -u
HLSLC=$1
SHADERS=$2
WORK=$3
CRASHER=$4
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

rm -rf "$WORK"
mkdir -p "$WORK/inc"
cd "$WORK" || exit 1

count=0
for shader in "$SHADERS"/decoders/*.hlsl "$SHADERS"/encoders/*.hlsl; do
  out=$("$HLSLC" "$shader" 2>&1) || fail "$shader does not compile: $out"
  [ -z "$out" ] || fail "$shader prints: $out"
  count=$((count + 1))
done
[ $count -ge 20 ] || fail "only $count shipped shaders found"

printf 'sampler2D src : register(s0);\nfloat4 main(float2 uv : TEXCOORD0) : COLOR0 {\n  return tex2D(src, uv) * missing;\n}\n' > typo.hlsl
out=$("$HLSLC" typo.hlsl 2>&1)
status=$?
[ $status -eq 1 ] || fail "a syntax error exits with $status"
echo "$out" | grep -q "^typo.hlsl(3): error: 'missing' : unknown variable" || fail "no 'typo.hlsl(3): error:' line in: $out"

"$HLSLC" -o typo.glsl "$SHADERS/encoders/anaglyph-red-cyan-dubois.hlsl" || fail "-o: the shader does not compile"
grep -q '^// register map$' typo.glsl || fail "-o: no register map in the output"
grep -q '^//   s1: .*texture unit 1' typo.glsl || fail "-o: sampler s1 missing from the register map"
grep -q '^#version 410' typo.glsl || fail "-o: no GLSL in the output"

printf 'float4 Tint() { return float4(1, 0.5, 0, 1); }\n' > inc/tint.hlsli
printf '#include "tint.hlsli"\nfloat4 main() : COLOR0 { return Tint(); }\n' > uses_include.hlsl
"$HLSLC" uses_include.hlsl > /dev/null 2>&1 && fail "an include outside the file's folder was found without -I"
out=$("$HLSLC" -I inc uses_include.hlsl 2>&1) || fail "-I inc: $out"

printf 'float4 main(float4 p : POSITION) : POSITION { return p; }\n' > vertex.hlsl
"$HLSLC" vertex.hlsl > /dev/null 2>&1 && fail "a vertex shader compiles as ps_3_0"
out=$("$HLSLC" -T vs_3_0 vertex.hlsl 2>&1) || fail "-T vs_3_0: $out"
printf 'float4 Shade() : COLOR0 { return 1; }\n' > entry.hlsl
out=$("$HLSLC" -E Shade entry.hlsl 2>&1) || fail "-E Shade: $out"

printf 'sampler2D src : register(s0); float4 main(float2 uv : TEXCOORD0) : COLOR0 { float4 a = 0; [unroll] for (int i = 0; i < 4096; i++) a += tex2D(src, uv + i * 0.0001); return a; }\n' > slow.hlsl
out=$("$HLSLC" slow.hlsl 2>&1) && fail "4096 unrolled texture reads compile"
echo "$out" | grep -q "ps_3_0 allows 512" || fail "the slot limit is not named: $out"

out=$("$HLSLC" "$CRASHER" 2>&1)
status=$?
[ $status -eq 1 ] || fail "a file that crashes glslang exits with $status"
echo "$out" | grep -q "^$CRASHER: error: the shader compiler stopped while compiling $CRASHER (it ended on signal 11" ||
  fail "a file that crashes glslang: $out"

out=$("$HLSLC" missing.hlsl 2>&1) && fail "a missing file exits 0"
echo "$out" | grep -q "^missing.hlsl: error: cannot open" || fail "a missing file: $out"
out=$("$HLSLC" -X typo.hlsl 2>&1) && fail "an unknown option exits 0"
echo "$out" | grep -q "^usage: tandemix-hlslc" || fail "an unknown option prints no usage: $out"

if [ $failures -ne 0 ]; then
  exit 1
fi
echo "tandemix-hlslc: passed ($count shipped shaders)"
