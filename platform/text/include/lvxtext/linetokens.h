#pragma once
// Splits one line of our quoted-word text formats (resource lists, the
// plug-in description, the registry file) into words. The formats share the
// shape: words between blanks, and a word in double quotes that may hold
// blanks. They differ in which characters are blanks, in comments and in
// escapes; each format states its rules in a LineSyntax.
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lvxtext {

// One word of a line; a quoted word is stored without its quotes and with
// its escapes resolved.
struct Token {
  std::string text;
  bool quoted = false;
};

// The value of a hexadecimal digit, or -1.
inline int HexDigit(char c)
{
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

struct LineSyntax {
  // The characters between words.
  std::string_view blanks = " ";
  // Whether a comment, which runs to the end of the line, starts at
  // line[at]; asked only where a word could start. Null: no comments.
  bool (*startsComment)(const std::string& line, size_t at) = nullptr;
  // Whether a '"' ends an unquoted word (and opens a quoted one).
  bool quoteEndsWord = false;
  // Reads the escape after a backslash in a quoted word: line[at] is the
  // character after the backslash. Appends what the escape stands for to
  // `text` and moves `at` past it, or sets `error` and returns false.
  // Null: a backslash is a plain character.
  bool (*unescape)(const std::string& line, size_t& at, std::string& text, std::string& error) = nullptr;
  // The error for a quoted word that is not closed.
  const char* unterminated = "unterminated quoted string";
  // Whether a closing quote must be followed by a blank or the line's end.
  bool blankAfterQuote = false;
};

inline bool IsBlank(const LineSyntax& syntax, char c) { return syntax.blanks.find(c) != std::string_view::npos; }

// Appends the words of `line` to `tokens`; on a malformed line sets `error`
// and returns false.
inline bool Tokenize(const std::string& line, const LineSyntax& syntax, std::vector<Token>& tokens, std::string& error)
{
  size_t i = 0;
  while (i < line.size()) {
    if (IsBlank(syntax, line[i])) {
      ++i;
      continue;
    }
    if (syntax.startsComment && syntax.startsComment(line, i))
      break;
    Token token;
    if (line[i] != '"') {
      while (i < line.size() && !IsBlank(syntax, line[i]) && !(syntax.quoteEndsWord && line[i] == '"'))
        token.text += line[i++];
      tokens.push_back(std::move(token));
      continue;
    }
    token.quoted = true;
    ++i;
    bool closed = false;
    while (i < line.size()) {
      const char c = line[i++];
      if (c == '"') {
        closed = true;
        break;
      }
      if (c != '\\' || !syntax.unescape)
        token.text += c;
      else if (!syntax.unescape(line, i, token.text, error))
        return false;
    }
    if (!closed) {
      error = syntax.unterminated;
      return false;
    }
    if (syntax.blankAfterQuote && i < line.size() && !IsBlank(syntax, line[i])) {
      error = "text right after a quoted string";
      return false;
    }
    tokens.push_back(std::move(token));
  }
  return true;
}

} // namespace lvxtext
