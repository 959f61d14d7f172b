// Results of the shader compiler. Their values are the HRESULTs that the Direct3D 9-shaped API hands
// on unchanged, so that the compiler needs nothing of that API and its callers need no mapping.
#pragma once

#include <cstdint>

typedef int32_t HlslStatus;

constexpr HlslStatus kHlslOk = 0;
constexpr HlslStatus kHlslFailed = static_cast<HlslStatus>(0x80004005u);          // E_FAIL
constexpr HlslStatus kHlslOutOfMemory = static_cast<HlslStatus>(0x8007000Eu);     // E_OUTOFMEMORY
constexpr HlslStatus kHlslInvalidCall = static_cast<HlslStatus>(0x8876086Cu);     // D3DERR_INVALIDCALL
constexpr HlslStatus kHlslInvalidPointer = static_cast<HlslStatus>(0x80004003u);  // E_POINTER
constexpr HlslStatus kHlslInvalidData = static_cast<HlslStatus>(0x88760B59u);     // D3DXERR_INVALIDDATA

inline bool HlslSucceeded(HlslStatus status) { return status >= 0; }
