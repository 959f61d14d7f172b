// Benchmark of the graphics layer, each measurement next to its reference from the same run:
//  1. LockRect + row copy + UnlockRect of a dynamic texture against a plain memcpy of the same bytes
//     (and, apart, the upload to OpenGL that the next draw makes);
//  2. one two-pass frame (decoder into two targets, encoder into the back buffer, Present) against a
//     minimal raw OpenGL program doing the same two passes;
//  3. a still picture (the same frame repeated) paced to the refresh rate: the share of a core it takes.
// At 1920x1080 and 3840x2160, on whatever OpenGL the machine has (Mesa's software renderer here).
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "bench/d3d9/bench_raw_gl.h"
#include "renderer/d3d9/d3dx9.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

const char* kVertexShader = R"(
float4x4 modelViewProj : register(c4);
struct VS_INPUT { float4 inPosition : POSITION; float2 inTexCoord : TEXCOORD0; };
struct VS_OUTPUT { float4 outPosition : POSITION; float2 outTexCoord0 : TEXCOORD0; };
VS_OUTPUT main(VS_INPUT input) {
  VS_OUTPUT output;
  output.outPosition = mul(modelViewProj, input.inPosition);
  output.outTexCoord0 = input.inTexCoord;
  return output;
})";

const char* kDecoder = R"(
sampler2D source : register(s0);
float4 counter : register(c0);
void main(float2 uv : TEXCOORD0, out float4 left : COLOR0, out float4 right : COLOR1) {
  left = tex2D(source, float2(uv.x * 0.5, uv.y)) + counter.x * 0.0;
  right = tex2D(source, float2(uv.x * 0.5 + 0.5, uv.y));
})";

const char* kEncoder = R"(
sampler2D leftEye : register(s0);
sampler2D rightEye : register(s1);
float4 window : register(c9);
float4 main(float2 uv : TEXCOORD0) : COLOR0 {
  float4 l = tex2D(leftEye, uv);
  float4 r = tex2D(rightEye, uv);
  return float4(l.r, r.g, r.b, 1.0) + window * 0.0;
})";

struct Vertex {
  float x, y, z, u, v;
};
const Vertex kQuad[4] = {{-1, 1, 0, 0, 0}, {1, 1, 0, 1, 0}, {-1, -1, 0, 0, 1}, {1, -1, 0, 1, 1}};

ID3DXBuffer* Compile(const char* source, const char* profile) {
  ID3DXBuffer* code = nullptr;
  ID3DXBuffer* messages = nullptr;
  if (FAILED(D3DXCompileShader(source, static_cast<UINT>(strlen(source)), nullptr, nullptr, "main", profile, 0,
                               &code, &messages, nullptr))) {
    printf("compile failed: %s\n", messages ? static_cast<const char*>(messages->GetBufferPointer()) : "");
  }
  if (messages) messages->Release();
  return code;
}

struct Scene {
  IDirect3DDevice9* device = nullptr;
  IDirect3DSurface9* back = nullptr;
  IDirect3DTexture9* source = nullptr;
  IDirect3DTexture9* eyes[2] = {};
  IDirect3DSurface9* eyeSurfaces[2] = {};
  IDirect3DVertexShader9* vertexShader = nullptr;
  IDirect3DPixelShader9* decoder = nullptr;
  IDirect3DPixelShader9* encoder = nullptr;
  IDirect3DSurface9* front = nullptr;
};

bool Build(IDirect3D9* d3d, UINT width, UINT height, Scene* scene, UINT interval = D3DPRESENT_INTERVAL_IMMEDIATE) {
  D3DPRESENT_PARAMETERS parameters = {};
  parameters.BackBufferWidth = width;
  parameters.BackBufferHeight = height;
  parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
  parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
  parameters.Windowed = TRUE;
  parameters.EnableAutoDepthStencil = TRUE;
  parameters.AutoDepthStencilFormat = D3DFMT_D16;
  parameters.PresentationInterval = interval;
  if (FAILED(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters,
                               &scene->device))) {
    return false;
  }
  IDirect3DDevice9* device = scene->device;
  device->GetRenderTarget(0, &scene->back);
  device->CreateTexture(width, height, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &scene->source,
                        nullptr);
  for (int i = 0; i < 2; ++i) {
    device->CreateTexture(width, height, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                          &scene->eyes[i], nullptr);
    scene->eyes[i]->GetSurfaceLevel(0, &scene->eyeSurfaces[i]);
  }
  ID3DXBuffer* code = Compile(kVertexShader, "vs_3_0");
  if (code) device->CreateVertexShader(static_cast<const DWORD*>(code->GetBufferPointer()), &scene->vertexShader);
  if (code) code->Release();
  code = Compile(kDecoder, "ps_3_0");
  if (code) device->CreatePixelShader(static_cast<const DWORD*>(code->GetBufferPointer()), &scene->decoder);
  if (code) code->Release();
  code = Compile(kEncoder, "ps_3_0");
  if (code) device->CreatePixelShader(static_cast<const DWORD*>(code->GetBufferPointer()), &scene->encoder);
  if (code) code->Release();
  device->CreateOffscreenPlainSurface(width, height, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &scene->front, nullptr);
  return scene->vertexShader && scene->decoder && scene->encoder && scene->front;
}

void Release(Scene* scene) {
  IUnknown* objects[] = {scene->front,          scene->encoder, scene->decoder,        scene->vertexShader,
                         scene->eyeSurfaces[0], scene->eyes[0], scene->eyeSurfaces[1], scene->eyes[1],
                         scene->source,         scene->back,    scene->device};
  for (IUnknown* object : objects) {
    if (object) object->Release();
  }
}

// The stereo pipeline's frame: the renderer's states, constants and two draws, then Present.
void Frame(Scene* scene, unsigned counter) {
  IDirect3DDevice9* device = scene->device;
  const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  const float c0[4] = {static_cast<float>(counter), 0, 0, 0};
  const float c1[4] = {static_cast<float>(counter % 2), 0, 0, 0};
  const float c9[4] = {0.0f, 0.0f, 0, 0};
  device->BeginScene();
  for (DWORD s = 0; s < 2; ++s) {
    device->SetSamplerState(s, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    device->SetSamplerState(s, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    device->SetSamplerState(s, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
    device->SetSamplerState(s, D3DSAMP_BORDERCOLOR, 0xFFFFFFFF);
  }
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
  device->SetRenderState(D3DRS_ZENABLE, FALSE);
  device->SetIndices(nullptr);
  device->SetFVF(D3DFVF_XYZ | D3DFVF_TEX1);
  device->SetRenderTarget(0, scene->eyeSurfaces[0]);
  device->SetRenderTarget(1, scene->eyeSurfaces[1]);
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFFFF0000, 1.0f, 0);
  device->SetVertexShader(scene->vertexShader);
  device->SetPixelShader(scene->decoder);
  device->SetTexture(0, scene->source);
  device->SetPixelShaderConstantF(0, c0, 1);
  device->SetPixelShaderConstantF(1, c1, 1);
  device->SetVertexShaderConstantF(4, identity, 4);
  device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, kQuad, sizeof(Vertex));
  device->SetRenderTarget(0, scene->back);
  device->SetRenderTarget(1, nullptr);
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF00FF00, 1.0f, 0);
  device->SetPixelShader(scene->encoder);
  device->SetTexture(0, scene->eyes[0]);
  device->SetTexture(1, scene->eyes[1]);
  device->SetPixelShaderConstantF(9, c9, 1);
  device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, kQuad, sizeof(Vertex));
  device->SetRenderState(D3DRS_ZENABLE, TRUE);
  device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
  device->EndScene();
  device->Present(nullptr, nullptr, nullptr, nullptr);
  device->SetTexture(0, nullptr);
  device->SetTexture(1, nullptr);
}

void BenchUpload(Scene* scene, UINT width, UINT height, int rounds) {
  const size_t rowBytes = static_cast<size_t>(width) * 4;
  std::vector<unsigned char> picture(rowBytes * height, 0x5A);
  std::vector<unsigned char> copy(rowBytes * height);
  // Reference: one memcpy of the picture.
  memcpy(copy.data(), picture.data(), copy.size());
  auto start = Clock::now();
  for (int r = 0; r < rounds; ++r) {
    picture[r] = static_cast<unsigned char>(r);
    memcpy(copy.data(), picture.data(), copy.size());
  }
  const double memcpyMs = Milliseconds(start) / rounds;

  auto upload = [&](int r) {
    D3DLOCKED_RECT locked = {};
    scene->source->LockRect(0, &locked, nullptr, 0);
    picture[r] = static_cast<unsigned char>(r);
    for (UINT y = 0; y < height; ++y) {
      memcpy(static_cast<unsigned char*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch,
             picture.data() + y * rowBytes, rowBytes);
    }
    scene->source->UnlockRect(0);
  };
  upload(0);
  start = Clock::now();
  for (int r = 0; r < rounds; ++r) upload(r);
  const double lockMs = Milliseconds(start) / rounds;
  printf("  LockRect + row copy + UnlockRect: %7.3f ms   memcpy: %7.3f ms   ratio %.2f (target <= 1.5)\n", lockMs,
         memcpyMs, lockMs / memcpyMs);

  // The rows reach OpenGL when a draw first needs the texture: measured with a 1x1 draw that samples it,
  // read back, against the same draw without new rows.
  IDirect3DDevice9* device = scene->device;
  IDirect3DTexture9* probe = nullptr;
  IDirect3DSurface9* probeSurface = nullptr;
  IDirect3DSurface9* probeCopy = nullptr;
  device->CreateTexture(1, 1, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &probe, nullptr);
  probe->GetSurfaceLevel(0, &probeSurface);
  device->CreateOffscreenPlainSurface(1, 1, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &probeCopy, nullptr);
  auto sample = [&]() {
    device->BeginScene();
    device->SetRenderTarget(0, probeSurface);
    device->SetRenderTarget(1, nullptr);
    device->SetVertexShader(scene->vertexShader);
    device->SetPixelShader(scene->encoder);
    device->SetTexture(0, scene->source);
    device->SetTexture(1, scene->source);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, kQuad, sizeof(Vertex));
    device->EndScene();
    device->GetRenderTargetData(probeSurface, probeCopy);
  };
  sample();
  // Interleaved, so that both sides see the same moments of a busy machine.
  double sampleTotal = 0, uploadTotal = 0;
  for (int r = 0; r < rounds; ++r) {
    start = Clock::now();
    sample();
    sampleTotal += Milliseconds(start);
    start = Clock::now();
    upload(r);
    sample();
    uploadTotal += Milliseconds(start);
  }
  const double uploadMs = (uploadTotal - sampleTotal) / rounds - lockMs;
  printf("  upload to OpenGL at the next draw: %7.3f ms   lock, copy, unlock and upload / memcpy: %.2f\n",
         uploadMs, (lockMs + uploadMs) / memcpyMs);
  device->SetTexture(0, nullptr);
  device->SetTexture(1, nullptr);
  device->SetRenderTarget(0, scene->back);
  probeCopy->Release();
  probeSurface->Release();
  probe->Release();
}

// A still picture: the same frame again and again, as a paused movie or an image gives. The layer
// recognises the repeated frame and only waits for the refresh; the share of one core it uses is the
// process's processor time over the wall-clock time.
void BenchStill(IDirect3D9* d3d, UINT width, UINT height) {
  Scene paced;
  if (!Build(d3d, width, height, &paced, D3DPRESENT_INTERVAL_ONE)) {
    Release(&paced);
    return;
  }
  const int frames = 120;
  Frame(&paced, 7);
  const std::clock_t cpuStart = std::clock();
  const auto start = Clock::now();
  for (int f = 0; f < frames; ++f) Frame(&paced, 7);
  const double wallMs = Milliseconds(start);
  const double cpuMs = 1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
  printf("  still picture: %d frames in %.0f ms (%.1f fps), processor %.1f%% of one core (target < 5%%)\n", frames,
         wallMs, frames * 1000.0 / wallMs, 100.0 * cpuMs / wallMs);
  Release(&paced);
}

void BenchFrame(Scene* scene, UINT width, UINT height, int frames) {
  // Alternating runs of the layer and of raw GL, best of three each, so that neither gains from the
  // other's warm-up or from a busy moment of the machine.
  double layerBest = 1e9, rawBest = 1e9;
  Frame(scene, 0);
  scene->device->GetFrontBufferData(0, scene->front);
  for (int run = 0; run < 3; ++run) {
    const auto start = Clock::now();
    for (int f = 1; f <= frames; ++f) Frame(scene, static_cast<unsigned>(run * frames + f));
    scene->device->GetFrontBufferData(0, scene->front);
    const double layer = Milliseconds(start) / frames;
    const double raw = RawGlFrameMilliseconds(static_cast<int>(width), static_cast<int>(height), frames);
    if (layer < layerBest) layerBest = layer;
    if (raw > 0 && raw < rawBest) rawBest = raw;
  }
  printf(
      "  two-pass frame: layer %7.2f ms (%5.1f fps)   raw GL %7.2f ms (%5.1f fps)   ratio %.2f (target <= 1.2)\n",
      layerBest, 1000.0 / layerBest, rawBest, 1000.0 / rawBest, layerBest / rawBest);
}

}  // namespace

int main() {
  IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
  if (!d3d) {
    printf("no OpenGL 4.1 available\n");
    return 1;
  }
  const UINT sizes[2][2] = {{1920, 1080}, {3840, 2160}};
  for (const auto& size : sizes) {
    Scene scene;
    if (!Build(d3d, size[0], size[1], &scene)) {
      printf("%ux%u: the scene could not be built\n", size[0], size[1]);
      Release(&scene);
      continue;
    }
    printf("%ux%u\n", size[0], size[1]);
    BenchUpload(&scene, size[0], size[1], size[0] > 1920 ? 20 : 50);
    BenchFrame(&scene, size[0], size[1], size[0] > 1920 ? 5 : 20);
    Release(&scene);
    BenchStill(d3d, size[0], size[1]);
  }
  d3d->Release();
  return 0;
}
