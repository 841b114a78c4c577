#include "analysis/WaterLevelSkew.h"

#include <cmath>
#include <limits>

CMatrix3x2F CMatrix3x2F::Skew(float angleX, float angleY, float centerX, float centerY) {
  constexpr float kRadiansPerDegree = 3.14159265358979323846f / 180.0f;
  const float tanX = std::tan(angleX * kRadiansPerDegree);
  const float tanY = std::tan(angleY * kRadiansPerDegree);
  CMatrix3x2F m;
  m.m12 = tanY;
  m.m21 = tanX;
  m.dx = -centerY * tanX;
  m.dy = -centerX * tanY;
  return m;
}

void CMatrix3x2F::Transform(float x, float y, float* outX, float* outY) const {
  *outX = x * m11 + y * m21 + dx;
  *outY = x * m12 + y * m22 + dy;
}

int ClampToInt(float value) {
  if (std::isnan(value)) return 0;
  // 2^31 is exact in float; every float below it converts without overflow.
  if (value >= 2147483648.0f) return std::numeric_limits<int>::max();
  if (value <= -2147483648.0f) return std::numeric_limits<int>::min();
  return static_cast<int>(value);
}

void ApplyWaterLevelSkew(std::vector<VasPoint>* points, int skewAngleX, int skewAngleY) {
  if (!points || points->size() < 4) return;
  const VasPoint first = (*points)[0];
  const VasPoint third = (*points)[2];
  // In 64 bits so that coordinates near the int range cannot overflow the sum.
  const float centerX = static_cast<float>((static_cast<long long>(first.x) + third.x) / 2);
  const float centerY = static_cast<float>((static_cast<long long>(first.y) + third.y) / 2);
  const CMatrix3x2F skew =
      CMatrix3x2F::Skew(static_cast<float>(skewAngleX), static_cast<float>(skewAngleY), centerX, centerY);
  const VasPoint corners[4] = {{first.x, first.y}, {third.x, first.y}, {third.x, third.y}, {first.x, third.y}};
  points->clear();
  for (const VasPoint& corner : corners) {
    float x = 0.0f;
    float y = 0.0f;
    skew.Transform(static_cast<float>(corner.x), static_cast<float>(corner.y), &x, &y);
    points->push_back({ClampToInt(x), ClampToInt(y)});
  }
}
