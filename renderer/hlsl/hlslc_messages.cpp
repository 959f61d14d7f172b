#include "renderer/hlsl/hlslc_messages.h"

#include <cctype>
#include <regex>
#include <sstream>

namespace {

std::string Lower(std::string word) {
  for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return word;
}

std::string FormatLine(const std::string& line, const std::string& mainName) {
  static const std::regex glslangLine(R"(^(ERROR|WARNING): (.+?):(\d+): (.*)$)");
  static const std::regex glslangCount(R"(^ERROR: \d+ compilation errors?\..*$)");
  static const std::regex glslangPlain(R"(^(ERROR|WARNING): (.*)$)");
  static const std::regex locatedLine(R"(^(.+?):(\d+): (error|warning): (.*)$)");
  static const std::regex namedLine(R"(^(.+?): (error|warning): (.*)$)");
  static const std::regex bareLine(R"(^(error|warning): (.*)$)");
  std::smatch m;
  if (std::regex_match(line, glslangCount)) return "";
  // glslang tells the column of the point where parsing stopped, in a line of its own form.
  static const std::regex parseStop(R"(^(.+?)\((\d+)\): error at column (\d+), (.*)$)");
  if (std::regex_match(line, m, parseStop)) {
    return m[1].str() + "(" + m[2].str() + "," + m[3].str() + "): error: " + m[4].str() + "\n";
  }
  if (std::regex_match(line, m, glslangLine)) {
    return m[2].str() + "(" + m[3].str() + "): " + Lower(m[1].str()) + ": " + m[4].str() + "\n";
  }
  if (std::regex_match(line, m, locatedLine)) {
    return m[1].str() + "(" + m[2].str() + "): " + m[3].str() + ": " + m[4].str() + "\n";
  }
  if (std::regex_match(line, m, namedLine)) return line + "\n";
  if (std::regex_match(line, m, bareLine)) return mainName + ": " + line + "\n";
  if (std::regex_match(line, m, glslangPlain))
    return mainName + ": " + Lower(m[1].str()) + ": " + m[2].str() + "\n";
  return line + "\n";
}

}  // namespace

std::string FormatHlslcMessages(const std::string& log, const std::string& mainName) {
  std::istringstream lines(log);
  std::string line, out;
  while (std::getline(lines, line)) {
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) line.pop_back();
    if (!line.empty()) out += FormatLine(line, mainName);
  }
  return out;
}
