// The compile process's side of the pipes (tandemix-hlslc --serve): says it is ready, then compiles each
// job the player sends, asking the player for every #include, until its input closes.
#pragma once

// Returns the process exit status: 0 when the input closed between jobs, 1 when it broke or sent a
// message that does not parse.
int ServeHlslCompiles(int input, int output);
