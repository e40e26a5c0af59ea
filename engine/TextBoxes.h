// The page text as text boxes: one box per text block (or per line, or per
// line fragment), filled with formatted runs.
#pragma once

#include <string>
#include <vector>

#include "engine/ScriptWriter.h"

class TextOutputDev;

// Writes every box of the page; 0 for a null writer, else 1. Line mode
// Lines gives one box per line, any other one box per block. The box mode
// selects nothing yet.
int WriteTextBoxes(ScriptWriter* writer, TextOutputDev* textDevice, float sx, float sy, TextMode lineMode,
                   int boxMode);

// One run per word: WordsInBlocks one box per block, WordsInFragments one
// box per line fragment in top-to-bottom order.
int WriteTextFragBoxes(ScriptWriter* writer, TextOutputDev* textDevice, float sx, float sy, TextMode textMode);

// The page's distinct word colours and font names (case ignored, "Arial"
// for a word without one). Returns the number of colours.
int CollectTextStyles(TextOutputDev* textDevice, std::vector<int>& colors, std::vector<std::string>& fontNames);

// The text device's page, as the writer reads it.
class TextDevicePage : public PageText {
public:
    explicit TextDevicePage(TextOutputDev* device) : device_(device) {}
    int WriteTextBoxes(ScriptWriter* writer, float sx, float sy, TextMode lineMode, int boxMode) const override
    {
        return ::WriteTextBoxes(writer, device_, sx, sy, lineMode, boxMode);
    }
    int WriteTextFragBoxes(ScriptWriter* writer, float sx, float sy, TextMode textMode) const override
    {
        return ::WriteTextFragBoxes(writer, device_, sx, sy, textMode);
    }
    int CollectTextStyles(std::vector<int>& colors, std::vector<std::string>& fontNames) const override
    {
        return ::CollectTextStyles(device_, colors, fontNames);
    }

private:
    TextOutputDev* device_;
};
