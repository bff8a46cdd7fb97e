/// @file veltra.h
/// Veltra: a small 2D engine, the whole public API in one header.
///
/// Objects live in engine-global tables; the classes below hold only zero-based
/// handles into them, so copies name the same object and nothing is ever freed.
/// Angles are degrees (0 along +x, 90 straight down, so positive turns clockwise
/// on screen) unless a function says otherwise; positions are window pixels with
/// y growing downward. Every float result is rounded to single precision by a
/// fixed rule, so the same calls give the same bits on every platform.
///
/// Bad input: a handle that its table has not handed out (negative, unset, or
/// not yet created) ends the process at once with one `veltra: ` line on stderr
/// (on Windows with status 0xC0000417). A creation that fails (missing image,
/// no font, no device yet) still hands out its handle, prints one `veltra: `
/// line and leaves an empty slot that later draws skip. Call everything from one
/// thread.
#pragma once

#include <stdint.h>

#include "veltra/backend.h"

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

/// The native window a device draws into: an `HWND` with the Direct3D 9
/// backend, an `SDL_Window*` with the SDL backend, the CSS selector of a
/// canvas (such as "#canvas") with the web backend; a build without graphics
/// has none. Make it with vLOpenWindow(), or make it yourself: the device
/// never creates or destroys it.
#if defined(VELTRA_BACKEND_D3D9)
typedef struct HWND__* vLWindow;
#elif defined(VELTRA_BACKEND_SDL)
typedef struct SDL_Window* vLWindow;
#elif defined(VELTRA_BACKEND_WEB)
typedef const char* vLWindow;
#else
typedef struct vLNoWindow* vLWindow;
#endif

/// A point or vector in window pixels; most operations read only x and y.
struct vLVector2 {
  float x;  ///< pixels, growing to the right
  float y;  ///< pixels, growing downward
  float z;  ///< unused by the helpers and drawing; the third component for matrices
};

/// A rectangle: (x, y) its top-left corner, (w, h) its size.
struct vLRect {
  float x;  ///< left edge
  float y;  ///< top edge
  float w;  ///< width
  float h;  ///< height
};

/// A round point mass in the engine's mass table.
///
/// Velocities are in pixels per PhysXUpdate() step. Every move between two
/// steps (SetX(), SetY(), a link, a push) is turned into velocity by the next
/// step; Place() moves a mass without that, and SetVelocity() gives one
/// directly. Every member checks the handle: one that NewPhysX() has not
/// handed out ends the process with one line on stderr.
class VELTRA_API vLPhysX {
 public:
  int handle = -1;  ///< index into the mass table; -1 until NewPhysX()
  /// Creates a new mass with every field 0 (also its previous position, so a
  /// SetX() before the first step moves it from the origin) and takes its handle.
  void NewPhysX();
  void SetX(float);        ///< position x, pixels
  void SetY(float);        ///< position y, pixels
  void SetZ(float);        ///< layer: only masses with exactly equal z push each other
  void SetRange(float);    ///< radius for the overlap test, pixels; 0 or less never collides
  float GetX() const;      ///< position x, pixels
  float GetY() const;      ///< position y, pixels
  float GetZ() const;      ///< layer
  float GetRange() const;  ///< radius, pixels
  /// Puts the mass at (x, y) without giving it velocity: its previous position
  /// moves along, so the next step sees no displacement.
  void Place(float x, float y);
  /// Velocity x, pixels per step: what the next step's motion starts from
  /// (after a step, already scaled by the inertion factor).
  float GetVelX() const;
  float GetVelY() const;  ///< velocity y, pixels per step, as GetVelX()
  /// Sets the velocity the next step's motion starts from, pixels per step. A
  /// displacement since the last step is still added to it when it is longer.
  void SetVelocity(float x, float y);
  /// Places both masses `length` pixels apart on the line through them, about
  /// their midpoint; coincident masses are lined up along x. A negative length
  /// swaps their sides.
  void LinkForced(vLPhysX other, float length);
  /// Moves `other` to `length` pixels from this mass, in the direction it lay;
  /// this one stays.
  void LinkFree(vLPhysX other, float length);
};

/// A 4x4 single-precision matrix in the engine's matrix table, row-major
/// (element (r, c) at index 4r + c); row vectors multiply on the left, so
/// a x b applies a first. Every member checks the handle as vLPhysX does.
class VELTRA_API vLMatrix {
 public:
  int handle = -1;   ///< index into the matrix table; -1 until NewMatrix()
  void NewMatrix();  ///< new matrix, set to the identity, and takes its handle
  void Identity();   ///< sets this matrix to the identity
  /// this = a x b (a applies first); a or b may be this matrix, read in full first.
  void Multiply(vLMatrix a, vLMatrix b);
  /// A rotation, in radians (not degrees): pitch x about the x axis, yaw y about
  /// the y axis, roll z about the z axis, applied roll, pitch, yaw.
  void Rotation(float x, float y, float z);
  void Transponse();  ///< replaces this matrix by its transpose
  /// (v.x, v.y, v.z, 1) x this, returned in x, y, z; `w` is not read.
  vLVector2 Transform(vLVector2 v, vLVector2 w);
  /// Element at `row`, `col`, both in 0..3; anything else ends the process.
  float Get(int row, int col);
};

/// A texture, a sprite and a font handle; each creation fills its own field
/// and leaves the other two alone. Needs a device: see vLDevice::CreateDevice().
class VELTRA_API vLMaterial {
 public:
  int texture = -1;  ///< index into the texture table; -1 until LoadTexture()
  int sprite = -1;   ///< index into the sprite table; -1 until CreateSprite()
  int font = -1;     ///< index into the font table; -1 until CreateFontA()
  /// Loads a PNG (or another image file the platform reads), kept at its own
  /// size in pixels; a relative name is opened from the current directory.
  /// A null, missing or unreadable file leaves an empty texture slot.
  void LoadTexture(const char* file);
  /// Creates the sprite that Draw() draws textures through.
  void CreateSprite();
  /// `height` is the line height in pixels; `flag` is the weight (0 or 1, both
  /// regular); `face` names a system font, and a missing face falls back to an
  /// installed sans font. A null face leaves an empty font slot.
  void CreateFontA(int height, bool flag, const char* face);
  /// The texture's width in texels; 0 for an empty slot. Checks the handle
  /// as the draws do.
  int TextureWidth() const;
  /// The texture's height in texels; 0 for an empty slot.
  int TextureHeight() const;
};

/// The drawing front end. It holds no state: every object drives the one
/// device, so copies and fresh objects are interchangeable. Colours take the
/// low 8 bits of each component (so 256 is 0 and -1 is 255), with alpha 255.
///
/// A frame is Clear(), BeginRender(), any number of SetTexture(), Draw() and
/// DrawT(), EndRender(), then DrawAll(). Before a successful CreateDevice()
/// every call is harmless and draws nothing.
class VELTRA_API vLDevice {
 public:
  /// Creates the one device on `window`, drawing into its client area; false
  /// (with one `veltra: ` line) when none could be made, and for a null window.
  /// On SDL the device draws with OpenGL where it can: make the window with
  /// SDL_WINDOW_OPENGL, or SDL replaces it with a new one to do so.
  bool CreateDevice(vLWindow window);
  void Lighting(uint32_t value);  ///< the lighting render state, passed on unchanged
  void ZAxis(bool enable);        ///< depth test on or off
  /// Clears the whole frame to the colour (and depth to 1, stencil to 0).
  void Clear(int red, int green, int blue);
  void BeginRender();  ///< opens the frame's scene
  void EndRender();    ///< closes the frame's scene
  void DrawAll();      ///< presents the frame, paced by the display's refresh where it has vsync
  /// Binds the material's texture to stage 0 (none for an empty slot).
  void SetTexture(vLMaterial material);
  /// Draws the material's whole texture, alpha-blended, turned by `angle`
  /// degrees (clockwise on screen) about `pivot` (image pixels from its
  /// top-left corner), with the pivot on `position` (window pixels). The
  /// trailing ints and both z fields are ignored; an empty slot draws nothing.
  void Draw(vLMaterial material, vLVector2 position, vLVector2 pivot, float angle, int, int, int);
  /// Draws one line of `text` (bytes up to its terminating zero) with font
  /// handle `font` (a vLMaterial::font), top-left at (trunc(x), trunc(y)),
  /// unclipped, in the given colour. Null text draws nothing.
  void DrawT(int font, const char* text, vLVector2 position, int red, int green, int blue);
  /// Draw() with more: the part `source` of the texture (texels from its
  /// top-left corner; a width or height of 0 takes the whole texture, and a
  /// part reaching past the texture is clipped to it), scaled by `scale.x`,
  /// `scale.y` about the pivot (in source texels; negative scales mirror),
  /// turned by `angle` degrees about it with the pivot on `position`, and each
  /// channel multiplied by red, green, blue and alpha over 255 (low 8 bits of
  /// each). The whole texture at scale (1, 1) in (255, 255, 255, 255) draws
  /// exactly what Draw() draws. Numbers that are not finite, a scaled size
  /// beyond 2^24 pixels or a source of negative size or outside the texture
  /// draw nothing, with one `veltra: ` line per cause.
  void DrawEx(vLMaterial material, vLVector2 position, vLVector2 pivot, float angle, vLVector2 scale, vLRect source,
              int red, int green, int blue, int alpha);
  /// The width (x) and height (y) in pixels that DrawT() gives `text` with
  /// `font`: the widest line, and the lines' height; (0, 0) for an empty
  /// font slot, before a device, and for null or empty text. Checks the
  /// handle as DrawT() does.
  vLVector2 MeasureT(int font, const char* text);
  /// Writes the back buffer as it stands to a PNG file: call it after
  /// EndRender() and before DrawAll(). False, with one `veltra: ` line, when
  /// there is no device or the file cannot be written.
  bool Screenshot(const char* pngFile);
};

/// A sound in the engine's sound table: a whole file decoded at load and
/// resampled to the engine's 48 kHz stereo output, so the mix is the same
/// samples on every platform. Voices add up in integers and saturate
/// instead of wrapping. Every member checks the handle as vLPhysX does.
///
/// Volumes are clamped to [0, 1] and pans to [-1 (left), 1 (right)]; NaN
/// counts as 0 for both (silent, centred). At pan 0 both sides play at the
/// full volume; moving towards one side lowers the other linearly, to 0 at
/// the end. Up to 256 voices play at once; a play beyond that cuts the
/// oldest one-shot voice short (loops are never cut).
///
/// The output opens at the first Play() or Loop(). With no sound device,
/// everything goes on silently: that first call prints one `veltra: ` line,
/// and from then on nothing plays and Playing() is false.
class VELTRA_API vLSound {
 public:
  int handle = -1;  ///< index into the sound table; -1 until LoadSound()
  /// Loads a WAV file (8-bit or 16-bit PCM, mono or stereo, 1 to 384 kHz) or
  /// an Ogg Vorbis file (up to 8 channels; more than 2 are mixed to stereo),
  /// told apart by their contents, of at most 10 minutes and 256 MiB; a
  /// relative name is opened from the current directory. A file that cannot
  /// be played leaves an empty slot, which stays silent.
  void LoadSound(const char* file);
  /// Starts a new voice of this sound at `volume`, panned by `pan`;
  /// overlapping plays mix.
  void Play(float volume, float pan);
  /// Plays this sound over and over, centred, until Stop(): for music. A
  /// loop of this sound that already runs starts again from the beginning
  /// at the new volume rather than doubling.
  void Loop(float volume);
  void Stop();           ///< stops every voice of this sound
  bool Playing() const;  ///< whether any voice of this sound still plays
};

/// The master volume over every voice, 0 to 1 (1 at start), clamped as a
/// voice's volume; it acts on what is playing too.
VELTRA_API void vLSoundVolume(float volume);

/// Reserves room for 50 objects in every table, so the first 50 creations in
/// each need no new storage. Optional; handles and contents stay as they are.
VELTRA_API void vLInitialize();
/// One physics step over every mass, in handle order: motion (each
/// displacement since the last step becomes velocity), snapshot, then every
/// overlapping pair on the same layer pushed apart by its whole overlap.
VELTRA_API void PhysXUpdate();
/// Two masses that the last PhysXUpdate() pushed apart, as mass handles.
struct vLContact {
  int a;  ///< the outer mass: the one whose turn it was
  int b;  ///< the inner mass, pushed away from `a` as `a` was pushed from it
};
/// How many pairs the last PhysXUpdate() pushed apart (0 before the first).
VELTRA_API int PhysXContactCount();
/// Contact `index`, in 0 .. PhysXContactCount() - 1, in the order the step
/// pushed them: by `a` ascending, then by `b`. A pair may appear twice, as
/// (a, b) and (b, a), when other pushes brought it back together. An index out
/// of range ends the process with one `veltra: ` line, as a bad handle does.
VELTRA_API vLContact PhysXContact(int index);
/// Velocity kept per step: 0 (the default) stops masses after one step, 1
/// keeps their speed, above 1 speeds them up, negative reverses them. Not checked.
VELTRA_API void PhysXInertion(float factor);

/// Degrees to radians, with pi as the single-precision 3.1415927.
VELTRA_API float vLDegtorad(float degrees);
/// Direction from a to b in degrees, in [-180, 180]; 0 for equal points.
VELTRA_API float vLPointDirection(vLVector2 a, vLVector2 b);
/// Distance from a to b in the plane, pixels; z is ignored.
VELTRA_API float vLPointDistance(vLVector2 a, vLVector2 b);
/// The x part of a vector `length` long pointing `direction` degrees.
VELTRA_API float vLLengthdirX(float length, float direction);
/// The y part of a vector `length` long pointing `direction` degrees (90 is down).
VELTRA_API float vLLengthdirY(float length, float direction);
/// Both parts at once, bit for bit vLLengthdirX() and vLLengthdirY(); z is 0.
VELTRA_API vLVector2 vLLengthdir(float length, float direction);

/// @name Window, input and frame clock
/// One window per program, with no platform code in the game: open it, make
/// the device on it, and poll it once per frame.
/// @code
/// vLWindow window = vLOpenWindow("My game", 640, 480);
/// vLDevice device;
/// if (!window || !device.CreateDevice(window)) return 1;
/// while (vLPollEvents()) {
///   if (vLKeyPressed(vLKeyEscape)) break;
///   float step = 200 * vLFrameTime();  // pixels this frame at 200 a second
///   // ... Clear(), BeginRender(), draw, EndRender(), DrawAll()
/// }
/// vLCloseWindow();
/// @endcode
/// Input is the state as of the last vLPollEvents(). Before a window is open
/// and after it is closed nothing is down and the mouse is at (0, 0).
/// @{

/// Keys for vLKeyDown() and vLKeyPressed() that have no character of their
/// own. Letters are 'A' to 'Z' ('a' to 'z' name the same keys, whatever the
/// Shift or Caps Lock state), digits '0' to '9' (the main row, not the keypad)
/// and the space bar ' '. A letter is the key that carries it on the user's
/// keyboard layout. Any other value is never down.
enum vLKey {
  vLKeyBackspace = 8,     ///< Backspace
  vLKeyTab = 9,           ///< Tab
  vLKeyEnter = 13,        ///< Enter (Return), on the main block or the keypad
  vLKeyEscape = 27,       ///< Escape
  vLKeyDelete = 127,      ///< Delete
  vLKeyArrowLeft = 256,   ///< left arrow
  vLKeyArrowRight = 257,  ///< right arrow
  vLKeyArrowUp = 258,     ///< up arrow
  vLKeyArrowDown = 259,   ///< down arrow
  vLKeyShift = 260,       ///< either Shift key
  vLKeyControl = 261,     ///< either Control key
  vLKeyAlt = 262,         ///< either Alt key (Alt Gr included where the layout has one)
  vLKeyInsert = 263,      ///< Insert
  vLKeyHome = 264,        ///< Home
  vLKeyEnd = 265,         ///< End
  vLKeyPageUp = 266,      ///< Page Up
  vLKeyPageDown = 267,    ///< Page Down
  vLKeyF1 = 268,          ///< F1
  vLKeyF2 = 269,          ///< F2
  vLKeyF3 = 270,          ///< F3
  vLKeyF4 = 271,          ///< F4
  vLKeyF5 = 272,          ///< F5
  vLKeyF6 = 273,          ///< F6
  vLKeyF7 = 274,          ///< F7
  vLKeyF8 = 275,          ///< F8
  vLKeyF9 = 276,          ///< F9
  vLKeyF10 = 277,         ///< F10
  vLKeyF11 = 278,         ///< F11
  vLKeyF12 = 279,         ///< F12
};

/// Mouse buttons for vLMouseDown() and vLMousePressed().
enum vLMouseButton {
  vLMouseLeft = 0,    ///< the left (primary) button
  vLMouseRight = 1,   ///< the right (secondary) button
  vLMouseMiddle = 2,  ///< the middle button (the wheel, pressed)
};

/// Opens and shows the program's window, not resizable, with a client area of
/// `width` x `height` pixels and `title` (UTF-8) as its caption, centred on
/// the screen, and starts the frame clock. Returns its native handle, ready
/// for vLDevice::CreateDevice(); null, with one `veltra: ` line, when it
/// cannot: no display, a null title, a side below 1 or above 16384 (or what
/// the platform allows), or a window already open.
VELTRA_API vLWindow vLOpenWindow(const char* title, int width, int height);
/// Takes every event waiting for the window, without waiting, and updates
/// the input state and the frame clock; call it once per frame. False once
/// the window has been closed (by its close button, the window manager or
/// vLCloseWindow()) or its display has gone away (then with one `veltra: `
/// line), and while no window is open: the game then leaves its loop.
VELTRA_API bool vLPollEvents();
/// Destroys the window; the device made on it draws nothing until the next
/// CreateDevice(). Does nothing when no window is open.
VELTRA_API void vLCloseWindow();
/// The pointer in client pixels, following it outside the window too (then
/// negative or beyond the size); z is 0.
VELTRA_API vLVector2 vLMousePosition();
/// Whether `button` (a #vLMouseButton: 0 left, 1 right, 2 middle) is held.
VELTRA_API bool vLMouseDown(int button);
/// Whether `button` went down since the vLPollEvents() before the last one,
/// even if it is up again.
VELTRA_API bool vLMousePressed(int button);
/// Whether `key` (a character or a #vLKey) is held.
VELTRA_API bool vLKeyDown(int key);
/// Whether `key` went down since the vLPollEvents() before the last one, even
/// if it is up again; a key held down does not repeat.
VELTRA_API bool vLKeyPressed(int key);
/// Seconds between the last two vLPollEvents(); 0 after the first one.
VELTRA_API float vLFrameTime();
/// Seconds since vLOpenWindow(), from a clock that never goes back; 0 before
/// the first window.
VELTRA_API double vLTime();
/// @}
