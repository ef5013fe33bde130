// The shared line tokenizer: each rule of a LineSyntax, on its own, since
// every format switches on a different mix of them.
#include "lvxtext/linetokens.h"

#include <gtest/gtest.h>

namespace {

using lvxtext::LineSyntax;
using lvxtext::Token;

// The words of a line as "text" or "[text]" (quoted), joined by '|'; or
// "error: ..." when the line is refused.
std::string Words(const std::string& line, const LineSyntax& syntax)
{
  std::vector<Token> tokens;
  std::string error;
  if (!lvxtext::Tokenize(line, syntax, tokens, error))
    return "error: " + error;
  std::string out;
  for (const Token& token : tokens)
    out += (out.empty() ? "" : "|") + (token.quoted ? "[" + token.text + "]" : token.text);
  return out;
}

// Takes "\q" for 'Q' and refuses any other escape.
bool UpperQ(const std::string& line, size_t& at, std::string& text, std::string& error)
{
  if (at < line.size() && line[at] == 'q') {
    text += 'Q';
    ++at;
    return true;
  }
  error = "bad escape";
  return false;
}

TEST(LineTokens, DefaultsSplitAtSpacesOnlyAndKeepBackslashes)
{
  const LineSyntax plain;
  EXPECT_EQ(Words("  a\tb  \"c d\"e\\ ", plain), "a\tb|[c d]|e\\");
  EXPECT_EQ(Words(std::string("x\0y z", 5), plain), std::string("x\0y|z", 5)) << "NUL is no blank";
  EXPECT_EQ(Words("\"a\\\"b\"", plain), "[a\\]|b\"") << "no escapes: the backslash stays, the quote closes";
  EXPECT_EQ(Words("\"open", plain), "error: unterminated quoted string");
  EXPECT_EQ(Words("", plain), "");
}

TEST(LineTokens, EachRuleOfASyntax)
{
  LineSyntax syntax;
  syntax.blanks = " \t";
  syntax.startsComment = [](const std::string& line, size_t at) { return line[at] == ';'; };
  syntax.quoteEndsWord = true;
  syntax.unescape = UpperQ;
  syntax.unterminated = "unclosed";
  // A comment starts only where a word could; a quote ends a bare word.
  EXPECT_EQ(Words("a;b\t\"x\\q;\"c\"d\" ; rest \"", syntax), "a;b|[xQ;]|c|[d]");
  EXPECT_EQ(Words("\"\\w\"", syntax), "error: bad escape");
  EXPECT_EQ(Words("\"ab", syntax), "error: unclosed");

  syntax.blankAfterQuote = true;
  EXPECT_EQ(Words("\"a\" \"b\"", syntax), "[a]|[b]");
  EXPECT_EQ(Words("\"a\"b", syntax), "error: text right after a quoted string");
}

TEST(LineTokens, HexDigit)
{
  EXPECT_EQ(lvxtext::HexDigit('0'), 0);
  EXPECT_EQ(lvxtext::HexDigit('9'), 9);
  EXPECT_EQ(lvxtext::HexDigit('a'), 10);
  EXPECT_EQ(lvxtext::HexDigit('F'), 15);
  EXPECT_EQ(lvxtext::HexDigit('g'), -1);
  EXPECT_EQ(lvxtext::HexDigit('/'), -1);
}

} // namespace
