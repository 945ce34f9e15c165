#include "play.h"

#include <windows.h>
#include <io.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "framework/Forms.h"
#include "framework/SysUtils.h"
#include "tools/vtplay/form_file.h"
#include "tools/vtplay/movie_source.h"
#include "tools/vtplay/player_view.h"
#include "tools/common/png_file.h"
#include "vt_d7/Vt_flashplayer.h"
#include "vt_d7/Vt_layer.h"

namespace vtplay {

namespace {

using Clock = std::chrono::steady_clock;

// A movie must show its first frame within this time.
constexpr auto kFirstFrameTimeout = std::chrono::seconds(10);
// A picture that has not changed for this long is written again as it is.
constexpr auto kStillInterval = std::chrono::seconds(1);
// The most bytes --stdin accepts.
constexpr size_t kStdinLimit = size_t{64} << 20;

void Print(std::FILE* To, const std::wstring& Text) {
  std::fputs(vcl::WideToUtf8(Text).c_str(), To);
  std::fflush(To);
}

bool IsConsole(std::FILE* F) {
  DWORD mode = 0;
  HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(F)));
  return h != INVALID_HANDLE_VALUE && GetFileType(h) == FILE_TYPE_CHAR && GetConsoleMode(h, &mode);
}

vt::TvtPlugin ToPlugin(PluginChoice Choice) {
  switch (Choice) {
    case PluginChoice::Netscape: return vt::vtNetscape;
    case PluginChoice::ActiveX: return vt::vtActiveX;
    case PluginChoice::Default: break;
  }
  return vt::vtDefault;
}

std::wstring FrameName(int Index) {
  wchar_t name[32];
  std::swprintf(name, 32, L"frame%04d.png", Index);
  return name;
}

// The players vtplay may make itself, or the form it read; whichever holds
// the player the view shows. The view is declared first so that it outlives
// the players, whose callbacks refer to it.
struct Stage {
  std::unique_ptr<PlayerView> view;
  std::unique_ptr<vcl::TForm> form;
  std::unique_ptr<vt::TvtFlashPlayerComp> offscreen;
};

void ReadFormStage(const Options& O, Stage& S) {
  vt::InitializeLayerUnit();  // a form may hold a layer
  S.form = std::make_unique<vcl::TForm>(nullptr);
  LoadFormFile(O.FormFile, *S.form);
  for (int i = 0; i < S.form->ComponentCount() && !S.view; ++i) {
    vcl::TComponent* c = S.form->Components(i);
    if (auto* comp = dynamic_cast<vt::TvtFlashPlayerComp*>(c))
      S.view = ViewOffscreen(*comp);
    else if (auto* graphic = dynamic_cast<vt::TvtFlashPlayer*>(c); graphic && graphic->Parent())
      S.view = ViewGraphic(*graphic);
    else if (auto* window = dynamic_cast<vt::TvtFlashPlayerWnd*>(c); window && window->Parent())
      S.view = ViewWindow(*window);
    else if (auto* layer = dynamic_cast<vt::TvtFlashLayer*>(c); layer && layer->Parent())
      S.view = ViewLayer(*layer);
  }
  if (!S.view) throw vcl::Exception(L"the form " + O.FormFile + L" holds no player");
  if (S.view->Movie().empty()) throw vcl::Exception(L"the form's first player has no movie");
  // A movie file named relative to the form (or the current folder) is
  // loaded again by its full path, which every renderer finds.
  const std::wstring folder = std::filesystem::path(O.FormFile).parent_path().wstring();
  const std::wstring movie = FullMoviePath(S.view->Movie(), {folder, L""});
  if (!MovieAvailable(movie)) throw vcl::Exception(L"movie not found: " + S.view->Movie());
  if (movie != S.view->Movie()) S.view->Flash().LoadMovie(movie);
  S.form->Handle();
  if (O.PluginGiven) S.view->SetPlugin(ToPlugin(O.Plugin));
  if (O.SizeGiven) S.view->SetSize(O.Width, O.Height);
}

// The top-left corner that centres a window of Width x Height on the primary
// screen's work area (kept on the screen when the window is larger).
vcl::TPoint CentredOnScreen(int Width, int Height) {
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  return {std::max<int>(area.left, area.left + (area.right - area.left - Width) / 2),
          std::max<int>(area.top, area.top + (area.bottom - area.top - Height) / 2)};
}

// A form on the screen, which the application runs until it is closed: it is
// the main form, whose closing ends the message loop.
std::unique_ptr<vcl::TForm> MakeScreenForm(const Options& O, vcl::TFormBorderStyle Border) {
  auto form = std::make_unique<vcl::TForm>(nullptr);
  form->SetCaption(L"vtplay");
  form->SetBorderStyle(Border);
  const vcl::TPoint at = CentredOnScreen(O.Width, O.Height);
  form->SetBounds(at.X, at.Y, O.Width, O.Height);
  form->Handle();
  form->SetClientWidth(O.Width);
  form->SetClientHeight(O.Height);
  form->OnClose = [](vcl::TObject*, vcl::TCloseAction&) { vcl::Application()->Terminate(); };
  vcl::Application()->SetMainForm(form.get());
  return form;
}

void MakeStage(const Options& O, Stage& S) {
  if (O.Player == PlayerChoice::Window) {
    S.form = MakeScreenForm(O, vcl::bsSizeable);
    auto* player = new vt::TvtFlashPlayerWnd(S.form.get());  // owned by the form
    player->SetParent(S.form.get());
    player->SetAlign(vcl::alClient);
    player->SetPlugin(ToPlugin(O.Plugin));
    S.view = ViewWindow(*player);
    S.form->Show();
    player->SetFocus();  // keys reach the movie
  } else if (O.Player == PlayerChoice::Layer) {
    vt::InitializeLayerUnit();
    S.form = MakeScreenForm(O, vcl::bsNone);
    auto* layer = new vt::TvtFlashLayer(S.form.get());  // owned by the form; fills it
    layer->SetParent(S.form.get());
    layer->SetMasterAlpha(255);
    layer->SetAllowDrag(true);
    layer->SetPlugin(ToPlugin(O.Plugin));
    S.view = ViewLayer(*layer);
    S.form->Show();
  } else if (O.Player == PlayerChoice::Graphic) {
    S.form = std::make_unique<vcl::TForm>(nullptr);
    S.form->SetBounds(0, 0, O.Width, O.Height);
    S.form->Handle();
    S.form->SetClientWidth(O.Width);
    S.form->SetClientHeight(O.Height);
    auto* player = new vt::TvtFlashPlayer(S.form.get());  // owned by the form
    player->SetParent(S.form.get());
    player->SetTransparent(false);
    player->SetPlugin(ToPlugin(O.Plugin));
    player->SetBounds(0, 0, O.Width, O.Height);
    S.view = ViewGraphic(*player);
  } else {
    S.offscreen = std::make_unique<vt::TvtFlashPlayerComp>(nullptr);
    S.offscreen->SetPlugin(ToPlugin(O.Plugin));
    S.offscreen->SetWidth(O.Width);
    S.offscreen->SetHeight(O.Height);
    S.view = ViewOffscreen(*S.offscreen);
  }
}

void HookEvents(const Options& O, PlayerView& View, std::FILE* Out) {
  View.OnFSCommand() = [Out](vcl::TObject*, const std::wstring& Command, const std::wstring& Args) {
    Print(Out, L"fscommand " + Command + L" " + Args + L"\n");
  };
  View.OnFlashCall() = [&O, &View, Out](vcl::TObject*, const std::wstring& Request) {
    Print(Out, L"flashcall " + Request + L"\n");
    if (O.AnswerGiven) View.Flash().SetReturnValue(O.Answer);
  };
}

// Waits a little for messages, then dispatches what arrived.
void PumpMessages() {
  MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
  vcl::Application()->ProcessMessages();
}

}  // namespace

int Play(const Options& O, std::FILE* Out) {
  const auto start = Clock::now();
  vcl::Application()->Initialize();
  vt::InitializeFlashPlayerUnit();

  // What to play: a stream (the standard input, or the demo carried as a
  // resource), or a name.
  std::unique_ptr<vcl::TStream> input;
  std::wstring movie;
  if (O.Stdin) {
    const std::vector<uint8_t> bytes = ReadAllInput(stdin, kStdinLimit);
    if (bytes.empty()) throw vcl::Exception(L"the standard input holds no movie");
    auto memory = std::make_unique<vcl::TMemoryStream>();
    memory->WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    memory->SetPosition(0);
    input = std::move(memory);
  } else if (O.FormFile.empty()) {
    movie = FullMoviePath(O.Movie);
    if (O.Movie.empty())
      input = DemoMovie();
    else if (!MovieAvailable(movie))
      throw vcl::Exception(L"movie not found: " + O.Movie);
  }

  Stage stage;
  if (O.FormFile.empty())
    MakeStage(O, stage);
  else
    ReadFormStage(O, stage);
  PlayerView& view = *stage.view;
  if (view.Driver()->ClassName() == L"TvtFlashDriver")
    throw vcl::Exception(L"no renderer is installed: register the control flashctl.ocx (regsvr32), put the "
                         L"plug-in module npswf32.dll beside vtplay.exe, or install the Flash Player");
  HookEvents(O, view, Out);

  if (input)
    view.Flash().LoadMovieFromStream(input.get());
  else if (O.FormFile.empty())
    view.Flash().LoadMovie(movie);
  // A form's player loaded its movie when the form was read.

  const std::filesystem::path outDir(O.OutDir);
  std::error_code made;
  std::filesystem::create_directories(outDir, made);
  if (made)
    throw vcl::Exception(L"cannot make the folder " + O.OutDir + L": " + vcl::Utf8ToWide(made.message()));

  const bool console = IsConsole(Out);
  const auto period = std::chrono::microseconds(1000000 / O.Fps);
  std::vector<uint32_t> pixels;
  bool known = false, shown = false, changed = false;
  int written = 0;
  Clock::time_point lastWrite{}, lastChange = Clock::now(), knownAt{};
  // A form on the screen may be closed before the frames are all written.
  while (written < O.Frames && !vcl::Application()->Terminated()) {
    PumpMessages();
    const auto now = Clock::now();
    if (view.TakePainted()) {
      changed = true;
      lastChange = now;
    }
    if (!shown) {
      // The movie shows once it has its frames and painted again after
      // that (the first frame is entered on the renderer's first tick, after
      // the movie was sized); a movie that paints nothing more shows after a
      // second. Then the variables are set and the calls made, in the order
      // given.
      if (!known) {
        known = view.Flash().GetTotalFrames() > 0;
        if (known) knownAt = now;
        changed = false;
        if (!known && now - start > kFirstFrameTimeout)
          throw vcl::Exception(L"the movie showed nothing within 10 s: it is missing or not a movie");
        continue;
      }
      if (!changed && now - knownAt < kStillInterval) continue;
      shown = true;
      for (const auto& [name, value] : O.Variables) view.Flash().SetVariable(name, value);
      for (const std::wstring& request : O.Calls)
        Print(Out, L"call " + request + L" -> " + view.Flash().CallFunction(request) + L"\n");
    }
    const bool still = now - lastChange >= kStillInterval;
    if (now - lastWrite < period || !(changed || still)) continue;

    view.Capture(pixels);
    ++written;
    vttools::WritePngFile((outDir / FrameName(written)).wstring(), pixels.data(), view.Width(), view.Height());
    lastWrite = now;
    changed = false;
    if (still) lastChange = now;
    for (const Click& c : O.Clicks)
      if (c.Frame == written) view.Click(c.X, c.Y);
    if (console) Print(Out, L"\rframe " + std::to_wstring(written) + L"/" + std::to_wstring(O.Frames));
  }
  if (console) Print(Out, L"\r                    \r");

  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  wchar_t took[32];
  std::swprintf(took, 32, L"%.2f", seconds);
  Print(Out, L"vtplay: " + std::to_wstring(written) + L" frames of " + std::to_wstring(view.Width()) + L"x" +
                 std::to_wstring(view.Height()) + L" written to " + O.OutDir + L" in " + took + L" s (" +
                 view.Driver()->ClassName() + L")\n");
  return 0;
}

}  // namespace vtplay
