// Dynamic textures: the locked memory's layout and byte order, and what a draw sees of it.
#include "tests/d3d9/device_test_support.h"

TEST_F(DeviceTest, LockedRowsArePitchApartInBlueGreenRedAlphaOrder) {
  IDirect3DPixelShader9* copy = Owned(CompilePixelShader(kCopyPixelShader));
  ASSERT_NE(copy, nullptr);
  const UINT width = 13, height = 5;  // a width whose rows need padding
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(device_->CreateTexture(width, height, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &texture,
                                   nullptr),
            D3D_OK);
  Owned(texture);
  D3DSURFACE_DESC desc = {};
  EXPECT_EQ(texture->GetLevelDesc(1, &desc), D3DERR_INVALIDCALL);  // one level only

  D3DLOCKED_RECT locked = {};
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
  ASSERT_GE(locked.Pitch, static_cast<INT>(width * 4));
  EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);  // already locked
  for (UINT y = 0; y < height; ++y) {
    BYTE* row = static_cast<BYTE*>(locked.pBits) + y * locked.Pitch;
    for (UINT x = 0; x < width; ++x) {
      row[x * 4 + 0] = static_cast<BYTE>(x);      // blue
      row[x * 4 + 1] = static_cast<BYTE>(y);      // green
      row[x * 4 + 2] = static_cast<BYTE>(200);    // red
      row[x * 4 + 3] = static_cast<BYTE>(x + y);  // alpha
    }
  }
  ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
  EXPECT_EQ(texture->UnlockRect(0), D3DERR_INVALIDCALL);

  IDirect3DSurface9* surface = MakeTargetSurface(width, height);
  DrawTextureInto(surface, copy, texture);

  // A lock after a recorded draw must not change what that draw reads.
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_DISCARD), D3D_OK);
  memset(locked.pBits, 0, static_cast<size_t>(locked.Pitch) * height);
  texture->UnlockRect(0);

  EXPECT_TRUE(
      SamePixels(ReadTarget(surface),
                 PixelsOf(width, height, [](UINT x, UINT y) { return (x + y) << 24 | 200u << 16 | y << 8 | x; }),
                 width));

  // A partial lock points into the same layout and uploads its rows.
  const RECT part = {2, 3, 5, 5};
  ASSERT_EQ(texture->LockRect(0, &locked, &part, 0), D3D_OK);
  static_cast<uint32_t*>(locked.pBits)[0] = 0xFF0000FFu;  // texel (2,3)
  texture->UnlockRect(0);
  device_->BeginScene();
  DrawQuad();
  device_->EndScene();
  EXPECT_EQ(ReadTarget(surface)[3 * width + 2], 0xFF0000FFu);
  EXPECT_EQ(ReadTarget(surface)[0], 0u);
  const RECT outside = {0, 0, 14, 1};
  EXPECT_EQ(texture->LockRect(0, &locked, &outside, 0), D3DERR_INVALIDCALL);
}

TEST_F(DeviceTest, OnlyDynamicAndManagedTexturesLock) {
  D3DLOCKED_RECT locked = {};
  EXPECT_EQ(Owned(MakeTarget(8, 8))->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);
  IDirect3DTexture9* plain = nullptr;
  ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &plain, nullptr), D3D_OK);
  EXPECT_EQ(Owned(plain)->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);
  IDirect3DTexture9* managed = nullptr;
  ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &managed, nullptr), D3D_OK);
  EXPECT_EQ(Owned(managed)->LockRect(0, &locked, nullptr, 0), D3D_OK);
  EXPECT_EQ(managed->UnlockRect(0), D3D_OK);
}
