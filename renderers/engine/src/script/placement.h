#pragma once
// What Color and flash.geom.Transform share: the clip an object stands for,
// kept as its target path so that it never dangles.

#include <string>
#include <utility>

#include "renderers/engine/script.h"

namespace swf {

class ClipLink : public NativeData {
 public:
  explicit ClipLink(std::string Path) : path(std::move(Path)) {}
  std::string path;  // absolute target path ("_level0.a")
};

// The clip V names (a clip value or a target path), or nullptr.
ScriptClip* ClipNamed(NativeCall& C, const Value& V);
// The clip an object made by Color or Transform stands for, or nullptr when gone.
ScriptClip* LinkedClip(NativeCall& C, const Value& Of);
// Gives O the link to Clip.
void LinkClip(Object& O, ScriptClip& Clip);

}  // namespace swf
