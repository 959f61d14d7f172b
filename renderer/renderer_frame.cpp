// CTQRenderer::RenderFrame: the two-pass stereo composition. Pass 1 runs the decoder over the source into
// the left and right eye targets at once; pass 2 runs the encoder over the two eye images into the back
// buffer, which is then presented.
#include "renderer/renderer.h"
#include "settings/settings.h"
#include "shell/win32/windows.h"

namespace {

struct QuadVertex {
  float x, y, z;
  float u, v;
};

constexpr DWORD kQuadFvf = D3DFVF_XYZ | D3DFVF_TEX1;

// A full-screen quad already in clip space; texture coordinate (0,0) is the top-left corner.
const QuadVertex kQuad[4] = {
    {-1.0f, 1.0f, 0.0f, 0.0f, 0.0f},
    {1.0f, 1.0f, 0.0f, 1.0f, 0.0f},
    {-1.0f, -1.0f, 0.0f, 0.0f, 1.0f},
    {1.0f, -1.0f, 0.0f, 1.0f, 1.0f},
};

const float kIdentity[16] = {
    1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f,
};

constexpr D3DCOLOR kPass1Clear = 0xFFFF0000;  // opaque red
constexpr D3DCOLOR kPass2Clear = 0xFF00FF00;  // opaque green

}  // namespace

// Stage 0 and stage 1 of pass 2: with one channel shown the encoder gets that eye on both samplers;
// invert_channels swaps the eyes before the choice.
void CTQRenderer::BindEyeTextures() {
  int first = 0;
  int second = 1;
  if (g_settings.show_channel == CHANNEL_LEFT) {
    second = 0;
  } else if (g_settings.show_channel == CHANNEL_RIGHT) {
    first = 1;
  }
  if (g_settings.invert_channels != 0) {
    first = 1 - first;
    second = 1 - second;
  }
  device_->SetTexture(0, eye_textures_[first]);
  device_->SetTexture(1, eye_textures_[second]);
}

int CTQRenderer::RenderFrame() {
  if (initialized_ == 0) {
    return 1;
  }
  const float counter = static_cast<float>(frame_count_);
  const float parity = static_cast<float>(frame_count_ % 2);
  const float c0[4] = {counter, 0.0f, 0.0f, 0.0f};
  const float c1[4] = {parity, 0.0f, 0.0f, 0.0f};
  const float c8[4] = {static_cast<float>(content_width_), static_cast<float>(content_height_), counter, parity};
  const float c9[4] = {g_settings.proscenium, g_settings.separation, 0.0f, 0.0f};

  device_->BeginScene();
  for (DWORD sampler = 0; sampler < 2; ++sampler) {
    device_->SetSamplerState(sampler, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    device_->SetSamplerState(sampler, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    device_->SetSamplerState(sampler, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
    device_->SetSamplerState(sampler, D3DSAMP_BORDERCOLOR, 0xFFFFFFFF);
  }
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device_->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
  device_->SetRenderState(D3DRS_ZENABLE, FALSE);
  device_->SetIndices(nullptr);
  device_->SetFVF(kQuadFvf);

  // Pass 1: decoder, source -> left and right eye targets in one draw.
  device_->SetRenderTarget(0, eye_surfaces_[0]);
  device_->SetRenderTarget(1, eye_surfaces_[1]);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kPass1Clear, 1.0f, 0);
  device_->SetVertexShader(vertex_shader_);
  device_->SetPixelShader(decoder_shader_);
  device_->SetTexture(0, source_texture_);
  device_->SetPixelShaderConstantF(0, c0, 1);
  device_->SetPixelShaderConstantF(1, c1, 1);
  device_->SetVertexShaderConstantF(4, kIdentity, 4);
  device_->SetPixelShaderConstantF(8, c8, 1);
  device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, kQuad, sizeof(QuadVertex));

  // Pass 2: encoder, eye images -> back buffer.
  device_->SetRenderTarget(0, back_buffer_);
  device_->SetRenderTarget(1, nullptr);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kPass2Clear, 1.0f, 0);
  device_->SetVertexShader(vertex_shader_);
  device_->SetPixelShader(encoder_shader_);
  BindEyeTextures();
  device_->SetPixelShaderConstantF(0, c0, 1);
  device_->SetPixelShaderConstantF(1, c1, 1);
  device_->SetVertexShaderConstantF(4, kIdentity, 4);
  device_->SetPixelShaderConstantF(8, c8, 1);
  device_->SetPixelShaderConstantF(9, c9, 1);
  device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, kQuad, sizeof(QuadVertex));

  device_->SetRenderState(D3DRS_ZENABLE, TRUE);
  device_->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
  device_->EndScene();

  if (fullscreen_ != 0) {
    device_->Present(nullptr, nullptr, nullptr, nullptr);
  } else {
    // The bottom of the client area belongs to the status bar: present above it. Without a window
    // (offscreen) the whole surface is used; a client area no taller than the bar gets an empty rectangle
    // rather than an upside-down one.
    RECT client = {};
    if (window_ != nullptr && GetClientRect(window_, &client)) {
      client.bottom -= kStatusBarHeight;
      if (client.bottom < client.top) {
        client.bottom = client.top;
      }
      device_->Present(nullptr, &client, nullptr, nullptr);
    } else {
      device_->Present(nullptr, nullptr, nullptr, nullptr);
    }
  }

  device_->SetTexture(0, nullptr);
  device_->SetTexture(1, nullptr);
  return 0;
}
