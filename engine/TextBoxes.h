// The page text as text boxes: one box per text block (or per line, or per
// line fragment), filled with formatted runs.
#pragma once

#include <string>
#include <vector>

struct ScriptWriter;
class TextOutputDev;

// Line modes of WriteTextBoxes.
constexpr int kBoxPerBlock = 0;
constexpr int kBoxPerLine = 2;

// Writes every box of the page; 0 for a null writer, else 1. The box mode
// selects nothing yet.
int WriteTextBoxes(ScriptWriter* writer, TextOutputDev* textDevice, float sx, float sy, int lineMode,
                   int boxMode);

// One run per word: mode 1 one box per block, mode 4 one box per line
// fragment in top-to-bottom order.
int WriteTextFragBoxes(ScriptWriter* writer, TextOutputDev* textDevice, float sx, float sy, int textMode);

void AddTextboxShape(ScriptWriter* writer, int left, int top, int width, int height);

// The page's distinct word colours and font names (case ignored, "Arial"
// for a word without one). Returns the number of colours.
int CollectTextStyles(TextOutputDev* textDevice, std::vector<int>& colors, std::vector<std::string>& fontNames);
