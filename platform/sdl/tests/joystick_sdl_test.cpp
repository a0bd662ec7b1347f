// The SDL platform's pad code, run for real. SDL's virtual joysticks stand in
// for pads: a game controller SDL maps itself, a plain joystick SDL has no
// mapping for (the raw fallback) and a plain joystick given a mapping the way
// SDL's controller database gives one to a real pad. They are plugged in and
// out while the platform's own event loop (platform::PumpEvents) runs, so
// the hot-plug events reach the joystick code as in the game, and what the
// game sees is read through platform::ReadJoystick and through the game's
// input layer (input/input.h, input/game_input.h).
//
// The platform runs on SDL's dummy video driver
// (platform::testing::StartVideoWithoutDisplay): no display is needed.
#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "input/game_input.h"
#include "input/input.h"
#include "persist/settings.h"
#include "platform/display.h"
#include "platform/input.h"
#include "platform/sdl/testing.h"
#include "world/world.h"

namespace {

constexpr int32_t kFull = 65535;  // ReadJoystick's axis range is 0..kFull

// A pad made of one of SDL's virtual joysticks. Like a real pad it holds
// its controls as the player leaves them, and SDL reads them (through the
// device's Update call) whenever it updates the device while it is open:
// when the game opens it, and at every PumpEvents after that. The game holds
// the only handle on it, as it would on a real pad.
class VirtualPad {
 public:
  explicit VirtualPad(SDL_VirtualJoystickDesc desc)
      : desc_(desc), axes_(desc.naxes, 0), buttons_(desc.nbuttons, 0), hats_(desc.nhats, SDL_HAT_CENTERED) {
    if (desc.type == SDL_JOYSTICK_TYPE_GAMECONTROLLER) {
      axes_[SDL_CONTROLLER_AXIS_TRIGGERLEFT] = SDL_JOYSTICK_AXIS_MIN;  // at rest
      axes_[SDL_CONTROLLER_AXIS_TRIGGERRIGHT] = SDL_JOYSTICK_AXIS_MIN;
    }
    desc_.userdata = this;
    desc_.Update = &VirtualPad::Update;
    PlugIn();
  }
  ~VirtualPad() { Unplug(); }
  VirtualPad(const VirtualPad&) = delete;
  VirtualPad& operator=(const VirtualPad&) = delete;

  void PlugIn() {
    ASSERT_EQ(id_, -1);
    const int index = SDL_JoystickAttachVirtualEx(&desc_);
    ASSERT_GE(index, 0) << SDL_GetError();
    id_ = SDL_JoystickGetDeviceInstanceID(index);
  }

  void Unplug() {
    const int index = Index();
    if (index >= 0) {
      EXPECT_EQ(SDL_JoystickDetachVirtual(index), 0) << SDL_GetError();
    }
    id_ = -1;
  }

  void Axis(int axis, Sint16 value) { axes_.at(axis) = value; }
  // The first two axes: a controller's left stick, and the axes a plain
  // joystick steers with.
  void Stick(Sint16 x, Sint16 y) {
    Axis(SDL_CONTROLLER_AXIS_LEFTX, x);
    Axis(SDL_CONTROLLER_AXIS_LEFTY, y);
  }
  void Button(int button, bool down) { buttons_.at(button) = down ? 1 : 0; }
  void Hat(Uint8 value) { hats_.at(0) = value; }

  SDL_JoystickGUID Guid() const { return SDL_JoystickGetDeviceGUID(Index()); }

 private:
  // The device's index in SDL's list, which changes as others come and go.
  int Index() const {
    if (id_ < 0) return -1;
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
      if (SDL_JoystickGetDeviceInstanceID(i) == id_) return i;
    }
    return -1;
  }

  static void SDLCALL Update(void* userdata) {
    const VirtualPad& pad = *static_cast<const VirtualPad*>(userdata);
    SDL_Joystick* device = SDL_JoystickFromInstanceID(pad.id_);
    if (device == nullptr) return;
    for (size_t i = 0; i < pad.axes_.size(); ++i) SDL_JoystickSetVirtualAxis(device, int(i), pad.axes_[i]);
    for (size_t i = 0; i < pad.buttons_.size(); ++i) SDL_JoystickSetVirtualButton(device, int(i), pad.buttons_[i]);
    for (size_t i = 0; i < pad.hats_.size(); ++i) SDL_JoystickSetVirtualHat(device, int(i), pad.hats_[i]);
  }

  SDL_VirtualJoystickDesc desc_;
  std::vector<Sint16> axes_;
  std::vector<Uint8> buttons_;
  std::vector<Uint8> hats_;
  SDL_JoystickID id_ = -1;
};

// A game controller SDL makes a mapping for itself: every button and axis,
// numbered as SDL numbers a controller's (A is button 0, the left stick axes
// 0 and 1, the triggers axes 4 and 5, the d-pad buttons 11 to 14).
SDL_VirtualJoystickDesc ControllerDesc(const char* name) {
  SDL_VirtualJoystickDesc d{};
  d.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  d.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  d.naxes = SDL_CONTROLLER_AXIS_MAX;
  d.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  d.name = name;
  return d;
}

// A plain joystick: SDL knows no mapping for it unless it is given one.
SDL_VirtualJoystickDesc JoystickDesc(const char* name, int axes, int buttons, int hats) {
  SDL_VirtualJoystickDesc d{};
  d.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  d.type = SDL_JOYSTICK_TYPE_UNKNOWN;
  d.naxes = static_cast<Uint16>(axes);
  d.nbuttons = static_cast<Uint16>(buttons);
  d.nhats = static_cast<Uint16>(hats);
  d.name = name;
  return d;
}

constexpr uint32_t Bit(int n) { return 1u << n; }
constexpr uint32_t kLeftTriggerBit = Bit(20);
constexpr uint32_t kRightTriggerBit = Bit(21);

class SdlPads : public ::testing::Test {
 protected:
  void SetUp() override {
    // The test's own hold on SDL's joystick system lets it plug pads in
    // before the game starts its joystick, and keeps them plugged in while
    // the game stops and starts again.
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
    held_ = true;
    if (SDL_NumJoysticks() != 0) {
      GTEST_SKIP() << "a real pad is plugged into this machine; the game would take it as its first pad";
    }
    ASSERT_TRUE(platform::testing::StartVideoWithoutDisplay()) << platform::LastVideoError();
    settings = Settings{};
    settings.joystick = 1;
    input = InputState{};
    world.game = GameState{};
  }

  void TearDown() override {
    platform::StopVideo();
    if (held_) SDL_QuitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER);
  }

  // The game's pad after one pass of its event loop.
  static platform::JoystickState Pass() {
    platform::PumpEvents();
    return platform::ReadJoystick();
  }

  // The game's pad after a pass with the button held; the button is let go
  // after it.
  static platform::JoystickState PassHolding(VirtualPad& pad, int button) {
    pad.Button(button, true);
    const platform::JoystickState s = Pass();
    pad.Button(button, false);
    return s;
  }

  // Where the pad steers, x then y.
  static std::pair<int32_t, int32_t> At(const platform::JoystickState& s) { return {s.x, s.y}; }

  // One pass of the main loop's input steps: the event loop, the pointer,
  // the keyboard and, with the joystick setting on, the pad.
  static void GamePass() {
    platform::PumpEvents();
    ReadPointer();
    ReadKeyboard();
    if (settings.joystick == 1) SteerPointerWithJoystick();
  }

  // What the player asks of the ship this frame, carried into the game as a
  // frame of play does, so that the next frame's request slews from it.
  static PlayInput PlayFrame() {
    const PlayInput in = ReadGameInput();
    world.game.inputVX = in.inputVX;
    world.game.inputVY = in.inputVY;
    return in;
  }

  static void Key(SDL_Scancode code, bool down) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.scancode = code;
    ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
  }

  static void ExpectNoPad(const platform::JoystickState& s) {
    EXPECT_FALSE(s.connected);
    EXPECT_EQ(s.x, kFull / 2);
    EXPECT_EQ(s.y, kFull / 2);
    EXPECT_EQ(s.buttons, 0u);
    EXPECT_FALSE(s.start);
  }

  bool held_ = false;
};

// The left stick steers over the whole range, centred in the middle of it,
// and the d-pad is a full deflection that wins over the stick; the right
// stick does not steer.
TEST_F(SdlPads, MappedPadSteersWithTheLeftStickAndTheDpad) {
  VirtualPad pad(ControllerDesc("Mapped pad"));
  platform::JoystickState s = Pass();
  ASSERT_TRUE(s.connected);
  EXPECT_EQ(s.xMax, kFull);
  EXPECT_EQ(s.yMax, kFull);
  EXPECT_EQ(At(s), std::pair(32768, 32768));

  const struct {
    Sint16 x, y;
    int32_t wantX, wantY;
  } stick[] = {{-32768, 0, 0, 32768}, {32767, 0, kFull, 32768}, {0, -32768, 32768, 0},
               {0, 32767, 32768, kFull}, {-16384, 16384, 16384, 49152}};
  for (const auto& c : stick) {
    pad.Stick(c.x, c.y);
    s = Pass();
    EXPECT_EQ(At(s), std::pair(c.wantX, c.wantY)) << "stick at " << c.x << ", " << c.y;
    EXPECT_EQ(s.buttons, 0u);
  }

  pad.Stick(16384, 16384);  // leaning right and down
  const struct {
    int button;
    int32_t wantX, wantY;
  } dpad[] = {{SDL_CONTROLLER_BUTTON_DPAD_LEFT, 0, 49152},
              {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, kFull, 49152},
              {SDL_CONTROLLER_BUTTON_DPAD_UP, 49152, 0},
              {SDL_CONTROLLER_BUTTON_DPAD_DOWN, 49152, kFull}};
  for (const auto& c : dpad) {
    s = PassHolding(pad, c.button);
    EXPECT_EQ(At(s), std::pair(c.wantX, c.wantY)) << "d-pad button " << c.button;
    EXPECT_EQ(s.buttons, 0u) << "the d-pad steers and does not fire";
  }
  pad.Button(SDL_CONTROLLER_BUTTON_DPAD_UP, true);  // a diagonal
  pad.Button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
  EXPECT_EQ(At(Pass()), std::pair(0, 0));
  pad.Button(SDL_CONTROLLER_BUTTON_DPAD_UP, false);
  pad.Button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, false);

  pad.Stick(0, 0);
  pad.Axis(SDL_CONTROLLER_AXIS_RIGHTX, -32768);
  pad.Axis(SDL_CONTROLLER_AXIS_RIGHTY, 32767);
  EXPECT_EQ(At(Pass()), std::pair(32768, 32768));
}

// Each face button and shoulder fires as a bit of its own, a trigger once
// pulled a third of the way; Start is reported on its own and does not fire,
// and the other buttons do nothing.
TEST_F(SdlPads, MappedPadFiresWithFaceButtonsShouldersAndTriggersAndHasStart) {
  VirtualPad pad(ControllerDesc("Mapped pad"));
  platform::JoystickState s = Pass();
  ASSERT_TRUE(s.connected);
  EXPECT_EQ(s.buttons, 0u) << "triggers at rest";
  EXPECT_FALSE(s.start);

  const int fire[] = {SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_B, SDL_CONTROLLER_BUTTON_X,
                      SDL_CONTROLLER_BUTTON_Y, SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
                      SDL_CONTROLLER_BUTTON_RIGHTSHOULDER};
  for (int b : fire) {
    s = PassHolding(pad, b);
    EXPECT_EQ(s.buttons, Bit(b)) << "button " << b;
    EXPECT_FALSE(s.start);
  }
  EXPECT_EQ(Pass().buttons, 0u);

  const int quiet[] = {SDL_CONTROLLER_BUTTON_BACK, SDL_CONTROLLER_BUTTON_GUIDE, SDL_CONTROLLER_BUTTON_LEFTSTICK,
                       SDL_CONTROLLER_BUTTON_RIGHTSTICK, SDL_CONTROLLER_BUTTON_MISC1};
  for (int b : quiet) pad.Button(b, true);
  s = Pass();
  EXPECT_EQ(s.buttons, 0u);
  EXPECT_FALSE(s.start);
  for (int b : quiet) pad.Button(b, false);

  s = PassHolding(pad, SDL_CONTROLLER_BUTTON_START);
  EXPECT_TRUE(s.start);
  EXPECT_EQ(s.buttons, 0u);
  EXPECT_FALSE(Pass().start);

  // SDL reads a controller's trigger as 0 (at rest) to 32767 (pulled all
  // the way) from the device's whole axis range.
  const struct {
    Sint16 raw;
    bool pulled;
  } triggers[] = {{-32768, false}, {-16384, false}, {-12000, false}, {-9000, true}, {0, true}, {32767, true}};
  for (const auto& t : triggers) {
    for (const auto& [axis, bit, side] : {std::tuple(SDL_CONTROLLER_AXIS_TRIGGERLEFT, kLeftTriggerBit, "left"),
                                          std::tuple(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, kRightTriggerBit, "right")}) {
      pad.Axis(axis, t.raw);
      EXPECT_EQ(Pass().buttons, t.pulled ? bit : 0u) << side << " trigger at " << t.raw;
      pad.Axis(axis, -32768);
    }
  }

  // Everything at once.
  pad.Button(SDL_CONTROLLER_BUTTON_A, true);
  pad.Button(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, true);
  pad.Button(SDL_CONTROLLER_BUTTON_START, true);
  pad.Axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767);
  s = Pass();
  EXPECT_EQ(s.buttons, Bit(SDL_CONTROLLER_BUTTON_A) | Bit(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER) | kLeftTriggerBit);
  EXPECT_TRUE(s.start);
}

// A pad laid out as common pads are on Linux (the d-pad a hat, the triggers
// full-range axes resting at one end), which SDL knows from a mapping as it
// knows real pads from its controller database: it plays as a controller.
TEST_F(SdlPads, PadKnownByAMappingPlaysAsAController) {
  // SDL looks mappings up by the GUID it makes from the device's USB ids.
  SDL_VirtualJoystickDesc desc = JoystickDesc("Pad with a mapping", 6, 11, 1);
  desc.vendor_id = 0x1234;
  desc.product_id = 0x5678;
  VirtualPad pad(desc);
  pad.Axis(2, SDL_JOYSTICK_AXIS_MIN);  // the triggers at rest, as the device reports them
  pad.Axis(5, SDL_JOYSTICK_AXIS_MIN);
  char guid[33];
  SDL_JoystickGetGUIDString(pad.Guid(), guid, sizeof guid);
  const std::string mapping = std::string(guid) +
                              ",Pad with a mapping,a:b0,b:b1,x:b2,y:b3,leftshoulder:b4,rightshoulder:b5,"
                              "back:b6,start:b7,guide:b8,leftstick:b9,rightstick:b10,leftx:a0,lefty:a1,"
                              "lefttrigger:a2,rightx:a3,righty:a4,righttrigger:a5,"
                              "dpup:h0.1,dpright:h0.2,dpdown:h0.4,dpleft:h0.8,";
  ASSERT_GE(SDL_GameControllerAddMapping(mapping.c_str()), 0) << SDL_GetError();

  platform::JoystickState s = Pass();
  ASSERT_TRUE(s.connected);
  EXPECT_EQ(s.buttons, 0u) << "triggers at rest";

  pad.Stick(32767, -32768);
  EXPECT_EQ(At(Pass()), std::pair(kFull, 0));

  pad.Hat(SDL_HAT_LEFTDOWN);
  EXPECT_EQ(At(Pass()), std::pair(0, kFull));
  pad.Hat(SDL_HAT_CENTERED);

  s = PassHolding(pad, 7);  // Start, by the mapping
  EXPECT_TRUE(s.start);
  EXPECT_EQ(s.buttons, 0u);

  pad.Button(1, true);  // B
  pad.Axis(5, 0);       // the right trigger half way
  s = Pass();
  EXPECT_EQ(s.buttons, Bit(SDL_CONTROLLER_BUTTON_B) | kRightTriggerBit);
  EXPECT_FALSE(s.start);
}

// A joystick SDL has no mapping for: axes 0 and 1 and the first hat steer,
// every button fires as its own bit, and there is no Start.
TEST_F(SdlPads, UnmappedJoystickSteersWithItsFirstAxesAndHatAndFiresWithEveryButton) {
  VirtualPad stick(JoystickDesc("Unmapped joystick", 4, 12, 1));
  platform::JoystickState s = Pass();
  ASSERT_TRUE(s.connected);
  EXPECT_EQ(At(s), std::pair(32768, 32768));
  EXPECT_EQ(s.buttons, 0u);

  stick.Stick(-32768, 32767);
  stick.Axis(2, 32767);  // the others do not steer
  stick.Axis(3, -32768);
  EXPECT_EQ(At(Pass()), std::pair(0, kFull));
  stick.Stick(0, 0);

  const struct {
    Uint8 hat;
    int32_t wantX, wantY;
  } hats[] = {{SDL_HAT_UP, 32768, 0},    {SDL_HAT_RIGHT, kFull, 32768}, {SDL_HAT_DOWN, 32768, kFull},
              {SDL_HAT_LEFT, 0, 32768},  {SDL_HAT_RIGHTUP, kFull, 0},   {SDL_HAT_LEFTDOWN, 0, kFull},
              {SDL_HAT_CENTERED, 32768, 32768}};
  for (const auto& h : hats) {
    stick.Hat(h.hat);
    EXPECT_EQ(At(Pass()), std::pair(h.wantX, h.wantY)) << "hat " << int{h.hat};
  }

  for (int b = 0; b < 12; ++b) {
    s = PassHolding(stick, b);
    EXPECT_EQ(s.buttons, Bit(b)) << "button " << b;
    EXPECT_FALSE(s.start);
  }
  stick.Button(0, true);
  stick.Button(11, true);
  EXPECT_EQ(Pass().buttons, Bit(0) | Bit(11));
}

// Pads come and go while the game runs: the first one plugged in plays, the
// next one takes over when it goes, one plugged in again is found, and with
// none the stick reads centred with nothing held, even if a button was down
// as the pad went.
TEST_F(SdlPads, PadsPluggedInAndOutWhileTheGameRuns) {
  ExpectNoPad(Pass());

  VirtualPad first(ControllerDesc("First pad"));
  first.Button(SDL_CONTROLLER_BUTTON_A, true);
  platform::JoystickState s = Pass();
  EXPECT_TRUE(s.connected);
  EXPECT_EQ(s.buttons, Bit(SDL_CONTROLLER_BUTTON_A));

  VirtualPad second(JoystickDesc("Second pad", 2, 4, 0));
  second.Button(3, true);
  second.Axis(0, 32767);
  s = Pass();
  EXPECT_EQ(s.buttons, Bit(SDL_CONTROLLER_BUTTON_A)) << "the first pad still plays";
  EXPECT_EQ(s.x, 32768);

  first.Unplug();  // with A held
  s = Pass();
  EXPECT_TRUE(s.connected);
  EXPECT_EQ(s.buttons, Bit(3)) << "the second pad took over";
  EXPECT_EQ(s.x, kFull);

  first.Button(SDL_CONTROLLER_BUTTON_A, false);
  first.Button(SDL_CONTROLLER_BUTTON_B, true);
  first.PlugIn();
  s = Pass();
  EXPECT_EQ(s.buttons, Bit(3)) << "the second pad keeps playing";

  second.Unplug();
  s = Pass();
  EXPECT_TRUE(s.connected);
  EXPECT_EQ(s.buttons, Bit(SDL_CONTROLLER_BUTTON_B)) << "the first pad, back, took over";
  EXPECT_EQ(s.x, 32768);

  first.Unplug();
  ExpectNoPad(Pass());
  ExpectNoPad(Pass());

  first.PlugIn();
  first.Button(SDL_CONTROLLER_BUTTON_START, true);
  s = Pass();
  EXPECT_TRUE(s.connected) << "a pad plugged in after all had gone";
  EXPECT_TRUE(s.start);
}

// A pad already plugged in when the game starts plays from the first pass,
// and one unplugged while the game was stopped is gone when it starts again.
TEST_F(SdlPads, PadPluggedInBeforeTheGameStarts) {
  platform::StopVideo();
  VirtualPad pad(JoystickDesc("Pad there at start", 2, 2, 0));
  pad.Button(1, true);
  ASSERT_TRUE(platform::testing::StartVideoWithoutDisplay());
  platform::JoystickState s = platform::ReadJoystick();
  EXPECT_TRUE(s.connected) << "opened at start, before any event";
  s = Pass();
  EXPECT_TRUE(s.connected);
  EXPECT_EQ(s.buttons, Bit(1));

  platform::StopVideo();
  ExpectNoPad(platform::ReadJoystick());
  pad.Unplug();
  ASSERT_TRUE(platform::testing::StartVideoWithoutDisplay());
  ExpectNoPad(Pass());
}

// Through the game's input layer: with the joystick setting on, a pad plays
// the game while it is there and the mouse plays without it. The stick moves
// the menu pointer, outside its dead zone, the same way in both directions;
// a stick pushed all the way asks the ship for what the steering keys ask;
// buttons and triggers fire, on the menus too, and Start does not.
TEST_F(SdlPads, TheGameFliesTheShipAndMovesThePointerWithThePad) {
  GamePass();
  EXPECT_FALSE(PadPlays());
  EXPECT_EQ(PlayFrame().joystick, 0) << "no pad: the mouse plays";

  VirtualPad pad(ControllerDesc("Mapped pad"));
  platform::SetPointer(320, 240);
  GamePass();
  EXPECT_TRUE(PadPlays());
  GamePass();
  EXPECT_EQ(input.pointerX, 320) << "a centred stick leaves the pointer alone";
  EXPECT_EQ(input.pointerY, 240);
  EXPECT_EQ(PlayFrame(), (PlayInput{0, 0, 0, 0, 1}));

  // The pointer moves one pass later than the pad: the stick moves it after
  // the pass has read it.
  const struct {
    Sint16 x, y;
    int dx, dy;
  } moves[] = {{32767, 0, 5, 0}, {-32768, 0, -5, 0}, {0, 32767, 0, 5}, {0, -32768, 0, -5},
               {6000, -6000, 0, 0}, {-24000, 24000, -3, 3}};
  for (const auto& m : moves) {
    pad.Stick(m.x, m.y);
    GamePass();
    const int x = input.pointerX, y = input.pointerY;
    GamePass();
    EXPECT_EQ(input.pointerX - x, m.dx) << "stick at " << m.x << ", " << m.y;
    EXPECT_EQ(input.pointerY - y, m.dy) << "stick at " << m.x << ", " << m.y;
  }
  pad.Stick(0, 0);

  // The ship's request, frame by frame as it slews, from the stick all the
  // way over and from the matching steering keys with the stick let go.
  const struct {
    Sint16 x, y;
    SDL_Scancode key;
  } pushes[] = {{32767, 0, SDL_SCANCODE_RIGHT},
                {-32768, 0, SDL_SCANCODE_LEFT},
                {0, -32768, SDL_SCANCODE_UP},
                {0, 32767, SDL_SCANCODE_DOWN}};
  auto fly = [] {  // twenty frames from a fresh game
    std::vector<PlayInput> frames;
    world.game = GameState{};
    for (int i = 0; i < 20; ++i) {
      GamePass();
      frames.push_back(PlayFrame());
    }
    return frames;
  };
  for (const auto& p : pushes) {
    pad.Stick(p.x, p.y);
    const std::vector<PlayInput> byStick = fly();
    pad.Stick(0, 0);
    Key(p.key, true);
    const std::vector<PlayInput> byKey = fly();
    Key(p.key, false);
    GamePass();
    EXPECT_EQ(byStick, byKey) << "key " << SDL_GetScancodeName(p.key);
    EXPECT_NE(byStick.back().inputVX | byStick.back().inputVY, 0);
  }
  world.game = GameState{};
  GamePass();
  EXPECT_EQ(PlayFrame(), (PlayInput{0, 0, 0, 0, 1})) << "the stick let go";

  pad.Button(SDL_CONTROLLER_BUTTON_START, true);
  GamePass();
  EXPECT_TRUE(input.joyStart);
  EXPECT_FALSE(MenuFireDown());
  EXPECT_EQ(PlayFrame().fireHeld, 0);
  pad.Button(SDL_CONTROLLER_BUTTON_START, false);

  pad.Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
  GamePass();
  EXPECT_FALSE(input.joyStart);
  EXPECT_TRUE(MenuFireDown());
  EXPECT_EQ(PlayFrame().fireHeld, 1);
  pad.Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
  pad.Button(SDL_CONTROLLER_BUTTON_X, true);
  GamePass();
  EXPECT_TRUE(MenuFireDown());
  EXPECT_EQ(PlayFrame().fireHeld, 1);

  pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, 32767);
  GamePass();
  pad.Unplug();  // with X held and the stick pushed
  GamePass();
  EXPECT_FALSE(PadPlays());
  EXPECT_FALSE(MenuFireDown());
  // The steering keys were the last to steer, so they keep the ship (until
  // the mouse moves); the pad's stick and button count no more.
  world.game = GameState{};
  EXPECT_EQ(PlayFrame(), (PlayInput{0, 0, 0, 0, 1}));
}

}  // namespace
