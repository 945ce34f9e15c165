#include "player_layer.h"

#include <string>
#include <vector>

#include "framework/Classes.h"
#include "tools/swfc/compile.h"
#include "vt_d7/Vt_driver_netscape.h"

namespace xdisplay {
namespace {

// The picture's areas as a movie: one rectangle a column, drawn in the
// area's colour with its alpha; transparent areas are left empty.
std::string MovieText(const LayerPicture& Picture) {
  std::string text = "size " + std::to_string(Picture.width) + " " + std::to_string(Picture.height) +
                     "\nrate 20\nbackground white\n";
  int depth = 1;
  std::string places;
  for (const PictureArea& area : Picture.areas) {
    if (area.alpha == 0) continue;
    char colour[16];
    std::snprintf(colour, sizeof colour, "#%06x%02x", static_cast<unsigned>(area.rgb), area.alpha);
    const std::string name = "area" + std::to_string(depth);
    text += "shape " + name + "\n  fill f solid " + colour + "\n  rect 0 0 " +
            std::to_string(area.right - area.left) + " " + std::to_string(area.bottom - area.top) +
            " fill f\nend\n";
    places += "place " + name + " " + std::to_string(depth) + " at " + std::to_string(area.left) + " " +
              std::to_string(area.top) + "\n";
    ++depth;
  }
  return text + places + "show\n";
}

}  // namespace

PlayerLayer::PlayerLayer(int Left, int Top, const LayerPicture& Picture) : picture_(Picture) {
  vt::InitializeFlashPlayerUnit();
  vt::InitializeLayerUnit();
  vt::InitializeNetscapeDriverUnit();
  if (!vt::TvtFlashDriverNS::PluginExists())
    throw vcl::Exception(L"the plug-in module npswf32.dll is not installed beside this program");

  form_ = std::make_unique<vcl::TForm>(nullptr);
  form_->SetBorderStyle(vcl::bsNone);
  form_->SetBounds(Left, Top, Picture.width, Picture.height);
  layer_ = new vt::TvtFlashLayer(form_.get());
  layer_->SetPlugin(vt::vtNetscape);
  layer_->SetParent(form_.get());
  form_->Show();

  const std::vector<uint8_t> movie = swfc::Compile(MovieText(Picture));
  vcl::TMemoryStream stream;
  stream.WriteBuffer(movie.data(), static_cast<int64_t>(movie.size()));
  layer_->LoadMovieFromStream(&stream);
}

PlayerLayer::~PlayerLayer() {
  form_.reset();
  vt::FinalizeNetscapeDriverUnit();
}

bool PlayerLayer::Ready() const {
  const vt::TvtFlashDriver* driver = layer_->Driver();
  if (!driver->FBits || driver->FWidth != picture_.width || driver->FHeight != picture_.height) return false;
  for (const PictureArea& area : picture_.areas) {
    const uint32_t pixel =
        driver->FBits[((area.top + area.bottom) / 2) * driver->FWidth + (area.left + area.right) / 2];
    if ((pixel >> 24) != area.alpha) return false;
  }
  return true;
}

}  // namespace xdisplay
