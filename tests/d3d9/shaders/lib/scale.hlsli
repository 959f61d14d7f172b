#pragma once
#define SCALE 2.0
