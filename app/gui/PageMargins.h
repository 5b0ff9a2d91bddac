#pragma once

class QPainter;

namespace tavlin {

class TFM_Tavlin;

// The page-margins dialog (TFM_PageMar) and the printed page header and footer are built on their
// own; the main window reaches them only through these functions. The window holds HeaderText and
// FooterText, the viewer the four print margins.

// "Page Setup": runs the page-margins dialog on the viewer's margins and the window's texts.
void RunPageMarginsDialog(TFM_Tavlin& window);
// Draws the window's header / footer text on a printed page (the viewer's print events).
void DrawPrintHeader(TFM_Tavlin& window, QPainter& canvas, int numPage, int w, int h);
void DrawPrintFooter(TFM_Tavlin& window, QPainter& canvas, int numPage, int w, int h);

} // namespace tavlin
