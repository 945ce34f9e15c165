#pragma once
// The layered player on the screen: a frameless form holding a TvtFlashLayer
// that plays, through the plug-in module installed beside this program, a
// movie drawing the test picture.

#include <memory>

#include "framework/Forms.h"
#include "layer_picture.h"
#include "shown_layer.h"
#include "vt_d7/Vt_layer.h"

namespace xdisplay {

class PlayerLayer : public ShownLayer {
 public:
  // Raises vcl::Exception when no plug-in module is installed.
  PlayerLayer(int Left, int Top, const LayerPicture& Picture);
  ~PlayerLayer() override;
  int Left() const override { return form_->Left(); }
  int Top() const override { return form_->Top(); }
  // Once the movie has drawn every area of the picture into the buffer the
  // layer hands to the window.
  bool Ready() const override;

 private:
  LayerPicture picture_;
  std::unique_ptr<vcl::TForm> form_;
  vt::TvtFlashLayer* layer_ = nullptr;  // owned by the form
};

}  // namespace xdisplay
