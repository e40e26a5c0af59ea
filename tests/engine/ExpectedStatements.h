// The statements the writer emits for text boxes, built the way a test
// expects them.
#pragma once

#include <string>

inline constexpr const char* kAppend = "ppShape.TextFrame.TextRange.Text = ppShape.TextFrame.TextRange.Text & strText\n";

// The two statements that add one piece of text to the box.
inline std::string Text(const std::string& escaped)
{
    return "strText = unescape(\"" + escaped + "\")\n" + kAppend;
}

// The line break that ends a paragraph.
inline std::string Break()
{
    return std::string("strText = vbCrLf\n") + kAppend;
}

// The font statements of the characters start to start + length - 1.
inline std::string Font(int start, int length, const std::string& face, int size,
                        const std::string& rgb = "0, 0, 0", const char* italic = "False",
                        const char* bold = "False")
{
    return "Set ppFont = ppShape.TextFrame.TextRange.Characters(" + std::to_string(start) + "," +
           std::to_string(length) + ").Font\nppFont.Name = \"" + face + "\"\nppFont.Size = " + std::to_string(size) +
           "\nppFont.Color.RGB = RGB(" + rgb + ")\nppFont.Italic = " + italic + "\nppFont.Bold = " + bold +
           "\nppFont.Underline = False\n";
}

// The statements that open a text box, in pixels.
inline std::string Box(int left, int top, int width, int height)
{
    return "\nSet ppShape = Nothing\nSet ppShape = ppSlide.Shapes.AddTextbox(1," + std::to_string(left) + "," + std::to_string(top) + "," +
           std::to_string(width) + "," + std::to_string(height) + ")\n";
}

// The marker after a text box's font statements.
inline constexpr const char* kEnd = "'========EndTextBlock\n";
