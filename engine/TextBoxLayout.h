// Layout values of the text page that the PDF core computes in its
// physical-layout pass but keeps private: the block's starting column, each
// line's first-character column, and a line's bounding box and character
// edges. Read from the core's own fields, pinned to its version.
#pragma once

class TextBlock;
class TextLine;

struct TextLineBox {
    double xMin, yMin, xMax, yMax;
};

int BlockStartColumn(const TextBlock* block);
int LineFirstColumn(const TextLine* line);
TextLineBox LineBoundingBox(const TextLine* line);
int LineRotation(const TextLine* line);
int LineLength(const TextLine* line);
// The "near" edge of character i along the line; i may be the line length.
double LineCharEdge(const TextLine* line, int i);
