// 4x4 float matrices (stored row by row, vectors as rows: translation in the last
// row) and 3-vectors. Outputs may be the same arrays as inputs.
#pragma once

void MatTranspose(const float* m, float* out);
// out = a x b.
void MatMul(const float* a, const float* b, float* out);
// out = m x v, v a column 4-vector.
void MatMulVec(const float* m, const float* v, float* out);
// out = v x m, v a row 4-vector.
void VecMulMat(const float* v, const float* m, float* out);
void MatScale(float* m, float s);
void MatCopy(const float* src, float* dst);
// Identity with (x, y, z) in the last row.
void MatTranslation(float* m, float x, float y, float z);
// Rotation by angle radians about axis 0 (x), 1 (y) or 2 (z); another axis gives the identity.
void MatRotation(float* m, float angle, int axis);
// Divides a 3-vector by its length; a zero vector stays zero.
void normalize_3(float* v);
