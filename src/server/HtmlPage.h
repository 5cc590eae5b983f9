#pragma once

#include <QString>

// The frame every page shares: HTML5, our stylesheet, a title and a heading. Everything that
// came from a request goes through escape() before it is put into a page.
namespace HtmlPage {

QString escape(const QString& text);
// A whole page around body (which is HTML already).
QString page(const QString& title, const QString& body);

// The address of the stylesheet and its text.
inline constexpr char kStylesheetPath[] = "/roamlog/style.css";
QString stylesheet();
// The header that forbids script and anything from elsewhere.
inline constexpr char kContentSecurityPolicy[] =
    "default-src 'none'; style-src 'self'; img-src 'self'; form-action 'self'; base-uri 'none'; "
    "frame-ancestors 'none'";

} // namespace HtmlPage
