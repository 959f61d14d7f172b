// glslang 12 crashes on this text (in growGlobalUniformBlock, parsing the declaration after a register
// without a number): the compile process ends on the crash and the compile fails with a message.
sampler2D source:register(s);float t source {}
