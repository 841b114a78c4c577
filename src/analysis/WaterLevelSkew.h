// The skew of a water-level region's outline: a 3x2 affine matrix of single
// precision and the corner transform that the region requests apply to it.
#pragma once

#include <vector>

// Row vector times matrix: (x, y) becomes (x*m11 + y*m21 + dx, x*m12 + y*m22 + dy).
struct CMatrix3x2F {
  float m11 = 1.0f, m12 = 0.0f;
  float m21 = 0.0f, m22 = 1.0f;
  float dx = 0.0f, dy = 0.0f;

  // The skew by `angleX` and `angleY` degrees about (`centerX`, `centerY`):
  // m12 = tan(angleY), m21 = tan(angleX), dx = -centerY*tan(angleX),
  // dy = -centerX*tan(angleY), in float.
  static CMatrix3x2F Skew(float angleX, float angleY, float centerX, float centerY);
  void Transform(float x, float y, float* outX, float* outY) const;
};

struct VasPoint {
  int x = 0;
  int y = 0;
  bool operator==(const VasPoint& other) const { return x == other.x && y == other.y; }
};

// A float coordinate as an int, truncated toward zero; values beyond the int
// range give its ends and NaN gives 0 (a skew near 90 degrees yields such).
int ClampToInt(float value);

// With fewer than four points: nothing. Otherwise the points become the four
// corners of the rectangle spanned by points 0 and 2 ((x0,y0), (x2,y0),
// (x2,y2), (x0,y2)), each skewed by the angles (degrees) about the centre
// ((x0+x2)/2, (y0+y2)/2) in integer division, then truncated to ints.
void ApplyWaterLevelSkew(std::vector<VasPoint>* points, int skewAngleX, int skewAngleY);
