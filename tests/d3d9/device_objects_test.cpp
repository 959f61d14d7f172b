// Device creation, reference counts and the results of refused calls.
#include "renderer/d3d9/d3d9_device.h"
#include "tests/d3d9/device_test_support.h"

TEST(Direct3DTest, CreateDeviceRefusesWhatItCannotHonour) {
  EXPECT_EQ(Direct3DCreate9(31), nullptr);  // another SDK version
  IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
  ASSERT_NE(d3d, nullptr);
  D3DPRESENT_PARAMETERS parameters = {};
  parameters.BackBufferWidth = 32;
  parameters.BackBufferHeight = 32;
  parameters.Windowed = TRUE;
  parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
  IDirect3DDevice9* device = nullptr;
  // No vertex processing flag.
  EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_MULTITHREADED, &parameters, &device),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device, nullptr);
  D3DPRESENT_PARAMETERS multisampled = parameters;
  multisampled.MultiSampleType = D3DMULTISAMPLE_NONMASKABLE;
  EXPECT_TRUE(FAILED(
      d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &multisampled, &device)));
  EXPECT_EQ(device, nullptr);
  // Without a window a back buffer needs a size.
  D3DPRESENT_PARAMETERS sizeless = parameters;
  sizeless.BackBufferWidth = 0;
  EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &sizeless, &device),
            D3DERR_INVALIDCALL);
  // A failed creation holds no reference on the Direct3D object.
  EXPECT_EQ(d3d->Release(), 0u);
}

// Also: a shader released while still bound, then replaced by the next frame's as the renderer does
// between shader pairs, draws without OpenGL errors (debug builds print them).
TEST_F(DeviceTest, ReferenceCountsReachZeroInAnyReleaseOrder) {
  testing::internal::CaptureStdout();
  IDirect3DTexture9* texture = MakeTarget(16, 16);
  ASSERT_NE(texture, nullptr);
  // Every resource holds its device.
  EXPECT_EQ(device_->AddRef(), 5u);  // creator, back buffer surface, vertex shader, texture, this
  device_->Release();

  IDirect3DSurface9* surface = nullptr;
  ASSERT_EQ(texture->GetSurfaceLevel(0, &surface), D3D_OK);
  EXPECT_EQ(texture->AddRef(), 3u);  // a level surface counts on its texture
  texture->Release();
  IDirect3DDevice9* owner = nullptr;
  ASSERT_EQ(surface->GetDevice(&owner), D3D_OK);
  EXPECT_EQ(owner, device_);
  owner->Release();

  // Bound objects are held inside the device without showing in their counts.
  IDirect3DPixelShader9* shader = CompilePixelShader(kCopyPixelShader);
  ASSERT_NE(shader, nullptr);
  device_->SetRenderTarget(0, surface);
  device_->SetTexture(0, texture);
  device_->SetVertexShader(vertex_shader_);
  device_->SetPixelShader(shader);
  device_->BeginScene();
  DrawQuad();  // recorded, not yet executed: it holds what it uses too
  device_->EndScene();
  EXPECT_EQ(shader->Release(), 0u);
  EXPECT_EQ(surface->Release(), 1u);
  EXPECT_EQ(texture->Release(), 0u);

  // The render target stays usable through the device.
  IDirect3DSurface9* current = nullptr;
  ASSERT_EQ(device_->GetRenderTarget(0, &current), D3D_OK);
  EXPECT_EQ(ReadTarget(current).size(), 16u * 16u);
  EXPECT_EQ(current->Release(), 0u);
  IDirect3DPixelShader9* red = CompilePixelShader(
      "float4 main(float2 uv : TEXCOORD0) : COLOR0 { return float4(1, 0, 0, 1); }");
  ASSERT_NE(red, nullptr);
  DrawTextureInto(back_buffer_, red, nullptr);
  device_->Present(nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(red->Release(), 0u);
  EXPECT_EQ(ReadFront()[0], 0xFFFF0000u);
  device_->SetPixelShader(nullptr);
  EXPECT_EQ(device_->AddRef() - 1, 3u);  // creator, back buffer surface, vertex shader
  device_->Release();
  const std::string output = testing::internal::GetCapturedStdout();
  EXPECT_EQ(output.find("OpenGL"), std::string::npos) << output;
}

TEST_F(DeviceTest, RefusedCallsReturnTheirResultAndCreateNothing) {
  IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(1);
  EXPECT_EQ(device_->CreateTexture(0, 16, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &texture,
                                   nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(texture, nullptr);
  EXPECT_EQ(device_->CreateTexture(16, 0, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &texture,
                                   nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->CreateTexture(1u << 20, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &texture, nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->CreateTexture(16, 16, 1, 0, D3DFMT_DXT1, D3DPOOL_DEFAULT, &texture, nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET | D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8,
                                   D3DPOOL_DEFAULT, &texture, nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(texture, nullptr);

  const DWORD garbage[8] = {0x07230203, 0x00010000, 0, 1, 0, 0, 0, D3DSIO_END};
  IDirect3DPixelShader9* shader = nullptr;
  EXPECT_EQ(device_->CreatePixelShader(garbage, &shader), D3DERR_INVALIDCALL);
  EXPECT_EQ(shader, nullptr);
  const DWORD notSpirv[2] = {0xFFFF0300, D3DSIO_END};
  EXPECT_EQ(device_->CreatePixelShader(notSpirv, &shader), D3DERR_INVALIDCALL);

  // A vertex shader's code is not a pixel shader.
  const std::vector<DWORD> vertexCode = ShaderCode(kQuadVertexShader, "vs_3_0");
  ASSERT_FALSE(vertexCode.empty());
  EXPECT_EQ(device_->CreatePixelShader(vertexCode.data(), &shader), D3DERR_INVALIDCALL);

  // Drawing needs a scene, a vertex format and both shaders.
  EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, kQuad, sizeof(QuadVertex)), D3DERR_INVALIDCALL);
  device_->BeginScene();
  device_->SetVertexShader(vertex_shader_);
  EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, kQuad, sizeof(QuadVertex)), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->BeginScene(), D3DERR_INVALIDCALL);
  device_->EndScene();
  EXPECT_EQ(device_->EndScene(), D3DERR_INVALIDCALL);

  EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 0), D3DERR_INVALIDCALL);  // D16 has none
  EXPECT_EQ(device_->SetRenderTarget(2, back_buffer_), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetRenderTarget(0, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetSamplerState(0, D3DSAMP_MAGFILTER, 99), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetFVF(D3DFVF_XYZRHW), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetIndices(reinterpret_cast<IDirect3DIndexBuffer9*>(8)), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetIndices(nullptr), D3D_OK);
  EXPECT_EQ(device_->Present(nullptr, nullptr, reinterpret_cast<HWND>(8), nullptr), D3DERR_INVALIDCALL);
}
