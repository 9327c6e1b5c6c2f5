#pragma once
// The library's vector: three single-precision floats. Every formula of the
// simulation is written on it, so its operations fix the rounding: division
// by a scalar multiplies by the scalar's reciprocal, as the particle maths
// was tuned with.
#include <cmath>

namespace PSim {

struct PVec3 {
  float x, y, z;

  PVec3() = default;  // leaves the components unset, like a plain float
  PVec3(float ax, float ay, float az) : x(ax), y(ay), z(az) {}

  float Length2() const { return x * x + y * y + z * z; }
  float Length() const { return std::sqrt(Length2()); }

  // Scales to length 1; a zero vector becomes non-finite.
  void Normalize() { *this *= 1.0f / Length(); }

  PVec3 operator+(const PVec3& b) const { return PVec3(x + b.x, y + b.y, z + b.z); }
  PVec3 operator-(const PVec3& b) const { return PVec3(x - b.x, y - b.y, z - b.z); }
  PVec3 operator-() const { return PVec3(-x, -y, -z); }
  PVec3 operator*(float s) const { return PVec3(x * s, y * s, z * s); }
  PVec3 operator/(float s) const { return *this * (1.0f / s); }

  PVec3& operator+=(const PVec3& b) {
    x += b.x;
    y += b.y;
    z += b.z;
    return *this;
  }
  PVec3& operator-=(const PVec3& b) {
    x -= b.x;
    y -= b.y;
    z -= b.z;
    return *this;
  }
  PVec3& operator*=(float s) {
    x *= s;
    y *= s;
    z *= s;
    return *this;
  }
  PVec3& operator/=(float s) { return *this *= 1.0f / s; }

  bool operator==(const PVec3& b) const { return x == b.x && y == b.y && z == b.z; }
  bool operator!=(const PVec3& b) const { return !(*this == b); }
};

inline float Dot(const PVec3& a, const PVec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

inline PVec3 Cross(const PVec3& a, const PVec3& b) {
  return PVec3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

// Component-wise product.
inline PVec3 CompMult(const PVec3& a, const PVec3& b) { return PVec3(a.x * b.x, a.y * b.y, a.z * b.z); }

inline PVec3 Normalized(PVec3 v) {
  v.Normalize();
  return v;
}

inline float Sqr(float f) { return f * f; }

}  // namespace PSim
