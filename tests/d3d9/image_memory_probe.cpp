// Loads image files through D3DXCreateTextureFromFileExA on a device without a window, in a process of
// its own, and prints how far each load raised the process's peak resident memory:
//   image_memory_probe <file>...   ->   one line per file: "<width> <height> <kilobytes>" or "failed"
// The first file warms the decoders up; the test reads the lines of the files after it.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "renderer/d3d9/d3dx9.h"

namespace {

long PeakResidentKilobytes() {
  FILE* status = fopen("/proc/self/status", "r");
  if (status == nullptr) return -1;
  char line[256];
  long kilobytes = -1;
  while (fgets(line, sizeof(line), status) != nullptr) {
    if (strncmp(line, "VmHWM:", 6) == 0) kilobytes = atol(line + 6);
  }
  fclose(status);
  return kilobytes;
}

}  // namespace

int main(int argc, char** argv) {
  IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
  if (d3d == nullptr) return 1;
  D3DPRESENT_PARAMETERS parameters = {};
  parameters.BackBufferWidth = 64;
  parameters.BackBufferHeight = 48;
  parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
  parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
  parameters.Windowed = TRUE;
  parameters.PresentationInterval = D3DPRESENT_INTERVAL_ONE;
  IDirect3DDevice9* device = nullptr;
  if (d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                        &parameters, &device) != D3D_OK) {
    return 1;
  }
  for (int i = 1; i < argc; ++i) {
    const long before = PeakResidentKilobytes();
    IDirect3DTexture9* texture = nullptr;
    D3DXIMAGE_INFO info = {};
    const HRESULT hr = D3DXCreateTextureFromFileExA(device, argv[i], D3DX_DEFAULT_NONPOW2, D3DX_DEFAULT_NONPOW2, 1,
                                                    0, D3DFMT_FROM_FILE, D3DPOOL_MANAGED, D3DX_FILTER_NONE,
                                                    D3DX_FILTER_NONE, 0, &info, nullptr, &texture);
    const long after = PeakResidentKilobytes();
    if (hr == D3D_OK) {
      printf("%u %u %ld\n", info.Width, info.Height, after - before);
      texture->Release();
    } else {
      printf("failed\n");
    }
    fflush(stdout);
  }
  device->Release();
  d3d->Release();
  return 0;
}
