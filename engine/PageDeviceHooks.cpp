#include "engine/PageDeviceHooks.h"

#include <GfxState.h>

#include <cmath>
#include <cstdio>

PageDeviceOptions g_pageDeviceOptions;
int g_drawingGlyph = 0;
int g_lastDisplayedPage = 0;

int TransformVector(const double matrix[6], double x, double y, double* outX, double* outY, int linearOnly)
{
    const double a = matrix[0], b = matrix[1], c = matrix[2], d = matrix[3];
    *outX = a * x;
    if (c != 0)
        *outX = c * y + a * x;
    *outY = d * y;
    if (b != 0)
        *outY = b * x + d * y;
    if (!linearOnly) {
        *outX += matrix[4];
        *outY += matrix[5];
    }
    return 0;
}

double VectorAngle(const double matrix[6])
{
    double vx, vy;
    TransformVector(matrix, 1.0, 0.0, &vx, &vy, 1);
    if (std::fabs(vx) < 1e-6 && std::fabs(vy) < 1e-6)
        return 0.0;
    return std::atan2(-vy, vx);
}

int IsTextRotated(const GfxState* state)
{
    double m[6] = {0, 0, 0, 0, 0, 0};
    state->getFontTransMat(&m[0], &m[1], &m[2], &m[3]);
    double angle = std::fabs(VectorAngle(m) * 57.295779);
    if (std::fabs(angle - 180) < 10)
        return 0; // upside down counts as upright
    return angle > 10 ? 1 : 0;
}

// Every occurrence of key, copying the text once however many there are.
void replaceAll(std::string& text, const std::string& key, const std::string& replacement)
{
    if (key.empty())
        return;
    std::string out;
    size_t from = 0;
    for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, from)) {
        out.append(text, from, at - from).append(replacement);
        from = at + key.size();
    }
    out.append(text, from, std::string::npos);
    text = std::move(out);
}

std::string PageSeparatorText()
{
    std::string separator = g_pageDeviceOptions.pageSeparatorTemplate;
    replaceAll(separator, "%PageCount%", std::to_string(g_pageDeviceOptions.dumpPageCount));
    replaceAll(separator, "%PageNumber%", std::to_string(g_lastDisplayedPage));
    return separator;
}
