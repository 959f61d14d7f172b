float4 main() : COLOR { return GetRenderTargetSampleCount(); }
