#pragma once
#include <string>
#include <string_view>

class QPainter;

namespace tavlin {

// The program's printed page header and footer, shared by the window's Print and `tavlin print`.
// Texts are UTF-8.

// The text with the first occurrence of the token (found without regard to case) replaced by the
// value; unchanged when the token is absent.
std::string ReplaceFirst(std::string text, std::string_view token, std::string_view value);

// A header or footer text for one page: the first "#PAGENUM" becomes the page number, the first
// "#TIMESTAMP" the current date and time (the system's short formats) and the first "#FILENAME"
// the source's name.
std::string PageMarkText(const std::string& text, int page, const std::string& fileName);

// Draws the text in Arial 8 point: the header with its top-left corner at (50, 40) of the header
// band, the footer with its bottom-left corner at (50, 40) of the footer band. The canvas has one
// unit per screen pixel.
void DrawPageHeader(QPainter& canvas, const std::string& text);
void DrawPageFooter(QPainter& canvas, const std::string& text);

} // namespace tavlin
