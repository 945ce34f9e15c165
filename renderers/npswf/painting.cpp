// WM_PAINT: the frame in the browser's last device context.
#include "renderers/gdipaint/gdi_paint.h"
#include "renderers/npswf/instance.h"

namespace npswf {

int16_t PluginInstance::Paint() {
  swfwin::PaintJob job;
  job.dc = dc_;
  job.originX = originX_;
  job.originY = originY_;
  job.width = width_;
  job.height = height_;
  job.transparent = args_.transparent;
  job.background = args_.background;
  job.movie = movie_.get();
  job.layer = &layer_;
  return swfwin::PaintMovie(job) ? 1 : 0;
}

}  // namespace npswf
