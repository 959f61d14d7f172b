// Reader of resource scripts for MENU templates: preprocessor #define and #include of the resource
// header, MENU blocks with POPUP, MENUITEM and MENUITEM SEPARATOR, item options GRAYED, INACTIVE,
// CHECKED, MENUBREAK, MENUBARBREAK and HELP, strings with "" and backslash escapes, // and /* */
// comments. Blocks of other resource types are skipped.
#include "shell/win32/win32_resource.h"

#include <QString>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>

namespace {

struct Token {
  enum Kind { kWord, kString, kComma, kBegin, kEnd, kEndOfInput } kind = kEndOfInput;
  std::string text;
};

class Reader {
 public:
  Reader(const char* text, std::map<std::string, long>* defines) : p_(text), defines_(defines) {}

  // Reads the #define lines of a header (everything else in it is ignored).
  void ReadDefines() {
    while (*p_) {
      SkipSpace();
      if (*p_ == '#') {
        Directive(nullptr);
      } else {
        while (*p_ && *p_ != '\n') ++p_;
      }
    }
  }

  Token Next(const char* header) {
    for (;;) {
      SkipSpace();
      if (*p_ == '#') {
        Directive(header);
        continue;
      }
      break;
    }
    Token token;
    if (!*p_) return token;
    if (*p_ == ',') {
      ++p_;
      token.kind = Token::kComma;
      return token;
    }
    if (*p_ == '{' || *p_ == '}') {
      token.kind = *p_ == '{' ? Token::kBegin : Token::kEnd;
      ++p_;
      return token;
    }
    if (*p_ == '"') {
      token.kind = Token::kString;
      ++p_;
      while (*p_) {
        if (*p_ == '"') {
          if (p_[1] == '"') {
            token.text += '"';
            p_ += 2;
            continue;
          }
          ++p_;
          return token;
        }
        if (*p_ == '\\' && p_[1]) {
          const char c = p_[1];
          token.text += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'a' ? '\b' : c;
          p_ += 2;
          continue;
        }
        if (*p_ == '\n') break;
        token.text += *p_++;
      }
      error_ = "unterminated string";
      token.kind = Token::kEndOfInput;
      return token;
    }
    token.kind = Token::kWord;
    while (*p_ && !std::isspace(static_cast<unsigned char>(*p_)) && *p_ != ',' && *p_ != '"' && *p_ != '{' &&
           *p_ != '}') {
      if (p_[0] == '/' && (p_[1] == '/' || p_[1] == '*')) break;
      token.text += *p_++;
    }
    if (token.text == "BEGIN") token.kind = Token::kBegin;
    if (token.text == "END") token.kind = Token::kEnd;
    return token;
  }

  const std::string& error() const { return error_; }

 private:
  void SkipSpace() {
    for (;;) {
      while (*p_ && std::isspace(static_cast<unsigned char>(*p_))) ++p_;
      if (p_[0] == '/' && p_[1] == '/') {
        while (*p_ && *p_ != '\n') ++p_;
      } else if (p_[0] == '/' && p_[1] == '*') {
        const char* end = std::strstr(p_ + 2, "*/");
        p_ = end ? end + 2 : p_ + std::strlen(p_);
      } else {
        return;
      }
    }
  }

  void Directive(const char* header) {
    const char* line_end = std::strchr(p_, '\n');
    if (!line_end) line_end = p_ + std::strlen(p_);
    const std::string line(p_, line_end);
    p_ = line_end;
    char name[128];
    char value[128];
    if (std::sscanf(line.c_str(), "#define %127s %127s", name, value) == 2) {
      char* end = nullptr;
      const long number = std::strtol(value, &end, 0);
      if (end && *end == 0) (*defines_)[name] = number;
    } else if (header && line.rfind("#include", 0) == 0 && line.find("resource.h") != std::string::npos) {
      Reader(header, defines_).ReadDefines();
    }
  }

  const char* p_;
  std::map<std::string, long>* defines_;
  std::string error_;
};

class MenuParser {
 public:
  MenuParser(const char* script, const char* header) : reader_(script, &defines_), header_(header) {}

  bool Find(LPCWSTR name, std::vector<Win32MenuTemplateItem>* items, std::string* error) {
    for (;;) {
      Token id = Next();
      if (id.kind == Token::kEndOfInput) {
        *error = reader_.error().empty() ? "no such menu in the resource script" : reader_.error();
        return false;
      }
      if (id.kind != Token::kWord) {
        *error = "resource name expected";
        return false;
      }
      Token type = Next();
      if (type.kind != Token::kWord) {
        *error = "resource type expected";
        return false;
      }
      // Options and other words up to the block.
      Token token = Next();
      while (token.kind == Token::kWord || token.kind == Token::kComma || token.kind == Token::kString) {
        token = Next();
      }
      if (token.kind != Token::kBegin) {
        *error = "BEGIN expected";
        return false;
      }
      if (type.text == "MENU" && Matches(id.text, name)) return ReadItems(items, error);
      if (type.text == "MENUEX" && Matches(id.text, name)) {
        *error = "MENUEX templates are not implemented";
        return false;
      }
      if (!SkipBlock(error)) return false;
    }
  }

 private:
  Token Next() { return reader_.Next(header_); }

  bool Matches(const std::string& id, LPCWSTR name) {
    if (IS_INTRESOURCE(name)) {
      long value = 0;
      if (!Number(id, &value)) return false;
      return static_cast<uintptr_t>(value) == reinterpret_cast<uintptr_t>(name);
    }
    return QString::fromStdString(id).compare(QString::fromWCharArray(name), Qt::CaseInsensitive) == 0;
  }

  bool Number(const std::string& word, long* value) {
    auto it = defines_.find(word);
    if (it != defines_.end()) {
      *value = it->second;
      return true;
    }
    char* end = nullptr;
    *value = std::strtol(word.c_str(), &end, 0);
    return !word.empty() && end && *end == 0;
  }

  bool SkipBlock(std::string* error) {
    int depth = 1;
    while (depth > 0) {
      Token token = Next();
      if (token.kind == Token::kEndOfInput) {
        *error = "END expected";
        return false;
      }
      if (token.kind == Token::kBegin) ++depth;
      if (token.kind == Token::kEnd) --depth;
    }
    return true;
  }

  // Reads options after an item: ", GRAYED, CHECKED" or blank-separated; stops at the next token
  // that is no option, which it hands back.
  Token ReadOptions(UINT* flags, std::string* error) {
    for (;;) {
      Token token = Next();
      if (token.kind == Token::kComma) continue;
      if (token.kind != Token::kWord) return token;
      if (token.text == "GRAYED") {
        *flags |= MF_GRAYED;
      } else if (token.text == "INACTIVE") {
        *flags |= MF_DISABLED;
      } else if (token.text == "CHECKED") {
        *flags |= MF_CHECKED;
      } else if (token.text == "MENUBREAK") {
        *flags |= MF_MENUBREAK;
      } else if (token.text == "MENUBARBREAK") {
        *flags |= MF_MENUBARBREAK;
      } else if (token.text == "HELP") {
        // Right-justified menu-bar items are drawn in place.
      } else {
        return token;
      }
    }
  }

  bool ReadItems(std::vector<Win32MenuTemplateItem>* items, std::string* error) {
    Token token = Next();
    for (;;) {
      if (token.kind == Token::kEnd) return true;
      if (token.kind != Token::kWord || (token.text != "MENUITEM" && token.text != "POPUP")) {
        *error = reader_.error().empty() ? "MENUITEM, POPUP or END expected" : reader_.error();
        return false;
      }
      Win32MenuTemplateItem item;
      if (token.text == "MENUITEM") {
        Token text = Next();
        if (text.kind == Token::kWord && text.text == "SEPARATOR") {
          item.flags = MF_SEPARATOR;
          items->push_back(item);
          token = Next();
          continue;
        }
        if (text.kind != Token::kString) {
          *error = "menu item text expected";
          return false;
        }
        item.text = QString::fromUtf8(text.text.c_str()).toStdWString();
        Token comma = Next();
        Token id = Next();
        long value = 0;
        if (comma.kind != Token::kComma || id.kind != Token::kWord || !Number(id.text, &value)) {
          *error = "menu item identifier expected";
          return false;
        }
        item.id = static_cast<UINT>(value);
        token = ReadOptions(&item.flags, error);
        items->push_back(item);
        continue;
      }
      Token text = Next();
      if (text.kind != Token::kString) {
        *error = "popup text expected";
        return false;
      }
      item.text = QString::fromUtf8(text.text.c_str()).toStdWString();
      item.flags = MF_POPUP;
      token = ReadOptions(&item.flags, error);
      if (token.kind != Token::kBegin) {
        *error = "BEGIN expected after POPUP";
        return false;
      }
      if (!ReadItems(&item.children, error)) return false;
      items->push_back(item);
      token = Next();
    }
  }

  std::map<std::string, long> defines_;
  Reader reader_;
  const char* header_;
};

}  // namespace

bool Win32ReadMenuTemplate(const char* script, const char* header, LPCWSTR name,
                           std::vector<Win32MenuTemplateItem>* items, std::string* error) {
  items->clear();
  MenuParser parser(script, header);
  if (parser.Find(name, items, error)) return true;
  items->clear();
  return false;
}
