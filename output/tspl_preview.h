#pragma once

#include <string>

class QImage;

// Draws a label's TSPL command lines onto a white picture at 203 dpi (8 dots
// per millimetre): SIZE sets the picture, TEXT uses a CJK font 24 dots high,
// BAR is a filled rectangle, BOX an outline of the given thickness, BARCODE
// type "128" draws the symbol with its human-readable line. Other commands
// are ignored. Needs a QGuiApplication.
QImage RenderTsplLabel(const std::string& tspl);

// RenderTsplLabel written as a PNG; false when the file cannot be written.
bool RenderTsplPreview(const std::string& tspl, const std::string& pngPath);
