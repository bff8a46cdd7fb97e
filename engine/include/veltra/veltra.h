// Veltra: a small 2D engine. Objects live in engine-global tables; the classes
// below hold only zero-based handles into them, so copies name the same object.
// Angles are degrees (0 along +x, 90 straight down) unless a function says
// otherwise; positions are window pixels with y growing downward.
#pragma once

#include <stdint.h>

#if defined(_WIN32)
#if defined(VELTRA_BUILD)
#define VELTRA_API __declspec(dllexport)
#elif defined(VELTRA_STATIC)
#define VELTRA_API
#else
#define VELTRA_API __declspec(dllimport)
#endif
#else
#define VELTRA_API __attribute__((visibility("default")))
#endif

#if defined(_WIN32)
typedef struct HWND__* vLWindow;
#else
typedef struct SDL_Window* vLWindow;
#endif

// A point or vector; most operations read only x and y.
struct vLVector2 {
  float x, y, z;
};

// A round point mass. Every member checks the handle: one that NewPhysX has
// not handed out ends the process with one line on stderr.
class VELTRA_API vLPhysX {
 public:
  int handle = -1;
  void NewPhysX();  // new mass, all fields 0
  void SetX(float);
  void SetY(float);
  void SetZ(float);      // layer: only masses with exactly equal z push each other
  void SetRange(float);  // radius for the overlap test
  float GetX() const;
  float GetY() const;
  float GetZ() const;
  float GetRange() const;
  // Places both masses `length` apart on the line through them, about their midpoint.
  void LinkForced(vLPhysX other, float length);
  // Moves `other` to `length` from this mass, in the direction it lay; this one stays.
  void LinkFree(vLPhysX other, float length);
};

// A 4x4 single-precision matrix, row-major; row vectors multiply on the left.
class VELTRA_API vLMatrix {
 public:
  int handle = -1;
  void NewMatrix();  // new matrix, set to the identity
  void Identity();
  void Multiply(vLMatrix a, vLMatrix b);     // this = a x b (a applies first); a or b may be this
  void Rotation(float x, float y, float z);  // radians: pitch about x, yaw about y, roll about z
  void Transponse();
  vLVector2 Transform(vLVector2 v, vLVector2 w);  // (v, 1) x this; w is not read
  float Get(int row, int col);                    // row, col in 0..3, else the process ends
};

// A texture, a sprite and a font handle; each creation fills its own field.
class VELTRA_API vLMaterial {
 public:
  int texture = -1, sprite = -1, font = -1;
  void LoadTexture(const char* file);  // PNG and other image files, kept at their own size
  void CreateSprite();
  // `height` is the line height in pixels; `flag` is the weight (0 or 1, both regular).
  void CreateFontA(int height, bool flag, const char* face);
};

// The drawing front end. It holds no state: every object drives the one device.
// Colours take the low 8 bits of each component, with alpha 255.
class VELTRA_API vLDevice {
 public:
  bool CreateDevice(vLWindow window);  // false when no device could be made on the window
  void Lighting(uint32_t value);
  void ZAxis(bool enable);
  void Clear(int red, int green, int blue);
  void BeginRender();
  void EndRender();
  void DrawAll();  // present, paced by the display's refresh where it has vsync
  void SetTexture(vLMaterial material);
  // Draws the whole texture turned by `angle` about `pivot` (image pixels), with
  // the pivot on `position`; the trailing ints and both z fields are ignored.
  void Draw(vLMaterial material, vLVector2 position, vLVector2 pivot, float angle, int, int, int);
  // Draws text from (trunc(x), trunc(y)), unclipped.
  void DrawT(int font, const char* text, vLVector2 position, int red, int green, int blue);
  bool Screenshot(const char* pngFile);  // the back buffer as it stands, as PNG
};

VELTRA_API void vLInitialize();               // reserves room for 50 objects in every table
VELTRA_API void PhysXUpdate();                // one physics step over every mass
VELTRA_API void PhysXInertion(float factor);  // velocity kept per step: 0 stops, 1 keeps

VELTRA_API float vLDegtorad(float degrees);
VELTRA_API float vLPointDirection(vLVector2 a, vLVector2 b);  // degrees in [-180, 180]
VELTRA_API float vLPointDistance(vLVector2 a, vLVector2 b);   // in the plane; z is ignored
VELTRA_API float vLLengthdirX(float length, float direction);
VELTRA_API float vLLengthdirY(float length, float direction);
VELTRA_API vLVector2 vLLengthdir(float length, float direction);
