// Matrix and vector math on floats.
#include "engine/VecMath.h"

#include <cmath>
#include <cstring>

void MatTranspose(const float* m, float* out) {
    float t[16];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) t[c * 4 + r] = m[r * 4 + c];
    std::memcpy(out, t, sizeof t);
}

void MatMul(const float* a, const float* b, float* out) {
    float t[16];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            float s = 0;
            for (int k = 0; k < 4; ++k) s += a[r * 4 + k] * b[k * 4 + c];
            t[r * 4 + c] = s;
        }
    std::memcpy(out, t, sizeof t);
}

void MatMulVec(const float* m, const float* v, float* out) {
    float t[4];
    for (int r = 0; r < 4; ++r)
        t[r] = m[r * 4] * v[0] + m[r * 4 + 1] * v[1] + m[r * 4 + 2] * v[2] + m[r * 4 + 3] * v[3];
    std::memcpy(out, t, sizeof t);
}

void VecMulMat(const float* v, const float* m, float* out) {
    float t[4];
    for (int c = 0; c < 4; ++c)
        t[c] = v[0] * m[c] + v[1] * m[4 + c] + v[2] * m[8 + c] + v[3] * m[12 + c];
    std::memcpy(out, t, sizeof t);
}

void MatScale(float* m, float s) {
    for (int i = 0; i < 16; ++i) m[i] *= s;
}

void MatCopy(const float* src, float* dst) {
    std::memmove(dst, src, 16 * sizeof(float));
}

void MatTranslation(float* m, float x, float y, float z) {
    std::memset(m, 0, 16 * sizeof(float));
    m[0] = m[5] = m[10] = m[15] = 1;
    m[12] = x;
    m[13] = y;
    m[14] = z;
}

void MatRotation(float* m, float angle, int axis) {
    MatTranslation(m, 0, 0, 0);
    if (axis < 0 || axis > 2) return;
    // The two axes other than the one turned about.
    int a = axis == 0 ? 1 : 0;
    int b = axis == 2 ? 1 : 2;
    float c = std::cos(angle);
    float s = std::sin(angle);
    m[a * 4 + a] = c;
    m[a * 4 + b] = s;
    m[b * 4 + a] = -s;
    m[b * 4 + b] = c;
}

void normalize_3(float* v) {
    float len2 = v[0] * v[0] + v[1] * v[1] + v[2] * v[2];
    if (len2 == 0) len2 = 1;
    float len = std::sqrt(len2);
    v[0] /= len;
    v[1] /= len;
    v[2] /= len;
}
