#include "bench/d3d9/bench_raw_gl.h"

#include <GL/glcorearb.h>

#include <chrono>
#include <cstdio>
#include <vector>

#include "shell/win32/win32_gl.h"

namespace {

const char* kVertex = R"(#version 410 core
layout(location = 0) in vec3 position;
layout(location = 8) in vec2 texcoord;
layout(location = 0) out vec2 uv;
uniform vec2 pixelOffset;
void main() {
  gl_Position = vec4(position, 1.0);
  gl_Position.xy += pixelOffset;
  gl_Position.y = -gl_Position.y;
  uv = texcoord;
})";

// Side-by-side decoder: left half to COLOR0, right half to COLOR1.
const char* kDecoder = R"(#version 410 core
layout(location = 0) in vec2 uv;
layout(location = 0) out vec4 left;
layout(location = 1) out vec4 right;
uniform sampler2D source;
uniform vec4 c[9];
void main() {
  left = texture(source, vec2(uv.x * 0.5, uv.y)) + c[0].x * 0.0;
  right = texture(source, vec2(uv.x * 0.5 + 0.5, uv.y));
})";

// Red-cyan anaglyph encoder.
const char* kEncoder = R"(#version 410 core
layout(location = 0) in vec2 uv;
layout(location = 0) out vec4 color;
uniform sampler2D leftEye;
uniform sampler2D rightEye;
uniform vec4 c[10];
void main() {
  vec4 l = texture(leftEye, uv);
  vec4 r = texture(rightEye, uv);
  color = vec4(l.r, r.g, r.b, 1.0) + c[9] * 0.0;
})";

GLuint Compile(GLenum kind, const char* source) {
  GLuint shader = glCreateShader(kind);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  return shader;
}

GLuint Link(const char* fragment) {
  GLuint program = glCreateProgram();
  glAttachShader(program, Compile(GL_VERTEX_SHADER, kVertex));
  glAttachShader(program, Compile(GL_FRAGMENT_SHADER, fragment));
  glLinkProgram(program);
  return program;
}

GLuint Texture(int width, int height, const void* pixels) {
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  return texture;
}

}  // namespace

double RawGlFrameMilliseconds(int width, int height, int frames) {
  HDC dc = GetDC(nullptr);
  HGLRC context = dc ? wglCreateContext(dc) : nullptr;
  if (!context || !wglMakeCurrent(dc, context)) return -1.0;

  std::vector<unsigned> pixels(static_cast<size_t>(width) * height);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = 0xFF000000u | static_cast<unsigned>(i * 2654435761u >> 8);
  GLuint source = Texture(width, height, pixels.data());
  GLuint eyes[2] = {Texture(width, height, nullptr), Texture(width, height, nullptr)};
  GLuint back = Texture(width, height, nullptr);
  GLuint window = Texture(width, height, nullptr);
  GLuint framebuffers[3];
  glGenFramebuffers(3, framebuffers);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffers[0]);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, eyes[0], 0);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT1, GL_TEXTURE_2D, eyes[1], 0);
  const GLenum both[2] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1};
  glDrawBuffers(2, both);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffers[1]);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, back, 0);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffers[2]);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, window, 0);

  const float quad[20] = {-1, 1, 0, 0, 0, 1, 1, 0, 1, 0, -1, -1, 0, 0, 1, 1, -1, 0, 1, 1};
  GLuint vertexArray = 0, buffer = 0;
  glGenVertexArrays(1, &vertexArray);
  glBindVertexArray(vertexArray);
  glGenBuffers(1, &buffer);
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
  glBufferData(GL_ARRAY_BUFFER, sizeof(quad), quad, GL_STATIC_DRAW);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 20, nullptr);
  glEnableVertexAttribArray(8);
  glVertexAttribPointer(8, 2, GL_FLOAT, GL_FALSE, 20, reinterpret_cast<const void*>(12));

  GLuint decoder = Link(kDecoder);
  GLuint encoder = Link(kEncoder);
  glUseProgram(decoder);
  glUniform1i(glGetUniformLocation(decoder, "source"), 0);
  glUseProgram(encoder);
  glUniform1i(glGetUniformLocation(encoder, "leftEye"), 0);
  glUniform1i(glGetUniformLocation(encoder, "rightEye"), 1);
  glViewport(0, 0, width, height);

  auto frame = [&](int n) {
    float constants[40] = {};
    constants[0] = static_cast<float>(n);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffers[0]);
    const GLfloat red[4] = {1, 0, 0, 1}, green[4] = {0, 1, 0, 1};
    glClearBufferfv(GL_COLOR, 0, red);
    glClearBufferfv(GL_COLOR, 1, red);
    glUseProgram(decoder);
    glUniform4fv(glGetUniformLocation(decoder, "c"), 9, constants);
    glUniform2f(glGetUniformLocation(decoder, "pixelOffset"), 1.0f / width, -1.0f / height);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, source);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffers[1]);
    glClearBufferfv(GL_COLOR, 0, green);
    glUseProgram(encoder);
    glUniform4fv(glGetUniformLocation(encoder, "c"), 10, constants);
    glUniform2f(glGetUniformLocation(encoder, "pixelOffset"), 1.0f / width, -1.0f / height);
    glBindTexture(GL_TEXTURE_2D, eyes[0]);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, eyes[1]);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);
    // Shown: the back buffer into the window picture, flipped to bottom-up rows.
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffers[1]);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffers[2]);
    glBlitFramebuffer(0, 0, width, height, 0, height, width, 0, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glFlush();
  };
  // Waits for the last frame by reading the window picture back, as the layer's run does.
  auto finish = [&]() {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffers[2]);
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels.data());
  };
  frame(0);
  finish();
  const auto start = std::chrono::steady_clock::now();
  for (int n = 1; n <= frames; ++n) frame(n);
  finish();
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();

  glDeleteProgram(decoder);
  glDeleteProgram(encoder);
  glDeleteBuffers(1, &buffer);
  glDeleteVertexArrays(1, &vertexArray);
  glDeleteFramebuffers(3, framebuffers);
  GLuint textures[5] = {source, eyes[0], eyes[1], back, window};
  glDeleteTextures(5, textures);
  wglMakeCurrent(nullptr, nullptr);
  wglDeleteContext(context);
  ReleaseDC(nullptr, dc);
  return ms / frames;
}
