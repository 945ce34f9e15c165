// The action assembler: one instruction a line, labels for jumps, nested
// blocks for function and with bodies, and the call patterns compilers emit
// for ExternalInterface and fscommand. README.md beside this file lists the
// instructions.

#include "tools/swfc/assemble.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>

#include "renderers/engine/actions.h"
#include "tools/swfc/compile.h"

namespace swfc {
namespace {

using swf::ActionCode;

constexpr int kMaxNesting = 32;  // function and with bodies inside each other

// Instructions without a payload: the action's name in lower case.
const std::map<std::string, uint8_t>& SimpleInstructions() {
  static const std::map<std::string, uint8_t> table = [] {
    std::map<std::string, uint8_t> t;
    for (int c = 1; c < 0x80; ++c) {
      std::string name = swf::ActionName(static_cast<ActionCode>(c));
      if (name.rfind("0x", 0) == 0) continue;
      for (char& ch : name) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
      t[name] = static_cast<uint8_t>(c);
    }
    t["prevframe"] = static_cast<uint8_t>(ActionCode::PreviousFrame);
    return t;
  }();
  return table;
}

class Assembler {
 public:
  explicit Assembler(const std::vector<AsmLine>& Lines) : lines_(Lines) {}

  std::vector<uint8_t> Run() {
    size_t at = 0;
    Block(at, 0, nullptr);
    out_.push_back(0);
    for (const Fixup& f : fixups_) {
      auto it = labels_.find(f.label);
      if (it == labels_.end()) throw CompileError(f.line, "label '" + f.label + "' is not defined");
      long delta = static_cast<long>(it->second) - static_cast<long>(f.from);
      if (delta < -32768 || delta > 32767) throw CompileError(f.line, "label '" + f.label + "' is too far away for a jump");
      out_[f.at] = static_cast<uint8_t>(delta & 0xFF);
      out_[f.at + 1] = static_cast<uint8_t>((delta >> 8) & 0xFF);
    }
    return std::move(out_);
  }

 private:
  struct Fixup {
    size_t at, from;  // where the offset goes; the end of the jump
    std::string label;
    int line;
  };

  [[noreturn]] void Fail(const AsmLine& L, const std::string& M) { throw CompileError(L.number, M); }

  // Lines from At up to the `end` closing Opening (consumed), or the end of
  // the lines at the top. Inside a try block `catch` and `finally` end a
  // part too; the word that ended it is returned.
  std::string Block(size_t& At, int Depth, const AsmLine* Opening, bool TryParts = false) {
    while (At < lines_.size()) {
      const AsmLine& l = lines_[At++];
      const std::string& w = l.words[0];
      if (!l.quoted[0] && (w == "end" || (TryParts && (w == "catch" || w == "finally")))) {
        if (!Opening) Fail(l, "'end' without a block to close");
        if (l.words.size() > 1) Fail(l, "unexpected '" + l.words[1] + "'");
        return w;
      }
      Instruction(l, At, Depth);
    }
    if (Opening) Fail(*Opening, "'" + Opening->words[0] + "' block has no 'end'");
    return "";
  }

  // try [NAME | rN]: the try body, then optionally `catch` and its body,
  // `finally` and its body, and `end`. The thrown value goes to the variable
  // NAME or register N.
  void Try(const AsmLine& L, size_t& At, int Depth) {
    if (Depth >= kMaxNesting) Fail(L, "blocks nested deeper than " + std::to_string(kMaxNesting));
    if (L.words.size() > 2) Fail(L, "unexpected '" + L.words[2] + "'");
    std::vector<uint8_t> p{0, 0, 0, 0, 0, 0, 0};
    bool toRegister = L.words.size() == 2 && !L.quoted[1] && L.words[1].size() > 1 && L.words[1][0] == 'r';
    if (toRegister) p.push_back(static_cast<uint8_t>(Index(L, L.words[1].substr(1), 255, "a register")));
    else Str(p, L.words.size() == 2 ? L.words[1] : "");
    size_t flagsAt = out_.size() + 3;
    Record(L, ActionCode::Try, p);
    size_t sizes[3] = {0, 0, 0};
    uint8_t flags = toRegister ? 4 : 0;
    std::string part = "try";
    for (int i = 0; i < 3 && part != "end"; ++i) {
      if ((i == 1 && part != "catch") || (i == 2 && part != "finally")) continue;
      if (i == 1) flags |= 1;
      if (i == 2) flags |= 2;
      size_t start = out_.size();
      std::string next = Block(At, Depth + 1, &L, true);
      if ((next == "catch" && i >= 1) || (next == "finally" && i >= 2)) Fail(L, "the try block's parts are out of order");
      sizes[i] = out_.size() - start;
      part = next;
    }
    out_[flagsAt] = flags;
    for (int i = 0; i < 3; ++i) PatchSize(L, flagsAt + 1 + 2 * static_cast<size_t>(i), sizes[i]);
  }

  void Record(const AsmLine& L, ActionCode Code, const std::vector<uint8_t>& Payload) {
    if (Payload.size() > 65535) Fail(L, "the instruction holds more than 65535 bytes");
    out_.push_back(static_cast<uint8_t>(Code));
    out_.push_back(static_cast<uint8_t>(Payload.size() & 0xFF));
    out_.push_back(static_cast<uint8_t>(Payload.size() >> 8));
    out_.insert(out_.end(), Payload.begin(), Payload.end());
  }

  static void U16(std::vector<uint8_t>& P, size_t V) {
    P.push_back(static_cast<uint8_t>(V & 0xFF));
    P.push_back(static_cast<uint8_t>((V >> 8) & 0xFF));
  }
  static void Str(std::vector<uint8_t>& P, const std::string& S) {
    P.insert(P.end(), S.begin(), S.end());
    P.push_back(0);
  }

  static bool ParseNumber(const std::string& W, double& V) {
    if (W.empty()) return false;
    char* end = nullptr;
    V = std::strtod(W.c_str(), &end);
    return end == W.c_str() + W.size() && !std::isnan(V) && !std::isinf(V) &&
           W.find_first_not_of("0123456789+-.eE") == std::string::npos;
  }

  static size_t Index(const AsmLine& L, const std::string& W, size_t Max, const char* What) {
    char* end = nullptr;
    unsigned long v = std::strtoul(W.c_str(), &end, 10);
    if (W.empty() || end != W.c_str() + W.size() || !std::isdigit(static_cast<unsigned char>(W[0])) || v > Max)
      throw CompileError(L.number, std::string("expected ") + What + " 0.." + std::to_string(Max) + ", not '" + W + "'");
    return v;
  }

  // One value of a push: a quoted string, a number, true, false, null,
  // undefined, rN (a register) or cN (a constant).
  void PushValue(const AsmLine& L, size_t I, std::vector<uint8_t>& P) {
    const std::string& w = L.words[I];
    if (L.quoted[I]) {
      if (w.find('\0') != std::string::npos) Fail(L, "a NUL in a string");
      P.push_back(0);
      Str(P, w);
      return;
    }
    double v;
    if (w == "true" || w == "false") {
      P.push_back(5);
      P.push_back(w == "true" ? 1 : 0);
    } else if (w == "null") {
      P.push_back(2);
    } else if (w == "undefined") {
      P.push_back(3);
    } else if (w.size() > 1 && w[0] == 'r' && std::isdigit(static_cast<unsigned char>(w[1]))) {
      P.push_back(4);
      P.push_back(static_cast<uint8_t>(Index(L, w.substr(1), 255, "a register")));
    } else if (w.size() > 1 && w[0] == 'c' && std::isdigit(static_cast<unsigned char>(w[1]))) {
      size_t c = Index(L, w.substr(1), 65535, "a constant");
      if (c < 256) {
        P.push_back(8);
        P.push_back(static_cast<uint8_t>(c));
      } else {
        P.push_back(9);
        U16(P, c);
      }
    } else if (ParseNumber(w, v)) {
      if (v == std::trunc(v) && std::abs(v) <= 2147483647.0 && w.find_first_of(".eE") == std::string::npos) {
        P.push_back(7);
        uint32_t i = static_cast<uint32_t>(static_cast<int32_t>(v));
        for (int k = 0; k < 4; ++k) P.push_back(static_cast<uint8_t>(i >> (8 * k)));
      } else {
        P.push_back(6);
        uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        uint32_t hi = static_cast<uint32_t>(bits >> 32), lo = static_cast<uint32_t>(bits);
        for (int k = 0; k < 4; ++k) P.push_back(static_cast<uint8_t>(hi >> (8 * k)));
        for (int k = 0; k < 4; ++k) P.push_back(static_cast<uint8_t>(lo >> (8 * k)));
      }
    } else {
      Fail(L, "'" + w + "' is not a value (a quoted string, a number, true, false, null, undefined, rN or cN)");
    }
  }

  void Simple(ActionCode C) { out_.push_back(static_cast<uint8_t>(C)); }

  void PushWords(const AsmLine& L, const std::vector<std::string>& Strings) {
    std::vector<uint8_t> p;
    for (const std::string& s : Strings) {
      p.push_back(0);
      Str(p, s);
    }
    Record(L, ActionCode::Push, p);
  }

  // The pattern a compiler emits for flash.external.ExternalInterface.Method(args...):
  // the arguments last to first, their count, the member chain, then CallMethod.
  // Pushed is the number of arguments already on the stack (pushed before the ones in L).
  void ExternalInterfaceCall(const AsmLine& L, const std::string& Method, size_t FirstArg, size_t Pushed = 0) {
    std::vector<uint8_t> p;
    for (size_t i = L.words.size(); i-- > FirstArg;) PushValue(L, i, p);
    double n = static_cast<double>(L.words.size() - FirstArg + Pushed);
    p.push_back(7);
    for (int k = 0; k < 4; ++k) p.push_back(static_cast<uint8_t>(static_cast<uint32_t>(n) >> (8 * k)));
    p.push_back(0);
    Str(p, "flash");
    Record(L, ActionCode::Push, p);
    Simple(ActionCode::GetVariable);
    PushWords(L, {"external"});
    Simple(ActionCode::GetMember);
    PushWords(L, {"ExternalInterface"});
    Simple(ActionCode::GetMember);
    PushWords(L, {Method});
    Simple(ActionCode::CallMethod);
  }

  void Function(const AsmLine& L, size_t& At, int Depth, bool Version2) {
    if (Depth >= kMaxNesting) Fail(L, "blocks nested deeper than " + std::to_string(kMaxNesting));
    if (L.words.size() < 2) Fail(L, "missing function name (\"\" for none)");
    std::vector<uint8_t> p;
    Str(p, L.words[1]);
    if (!Version2) {
      std::vector<std::string> params(L.words.begin() + 2, L.words.end());
      U16(p, params.size());
      for (const std::string& s : params) Str(p, s);
    } else {
      size_t registers = 0;
      uint16_t flags = 0;
      std::vector<std::pair<std::string, size_t>> params;
      size_t i = 2;
      static const std::map<std::string, uint16_t> preload{
          {"this", swf::kPreloadThis},   {"arguments", swf::kPreloadArguments}, {"super", swf::kPreloadSuper},
          {"root", swf::kPreloadRoot},   {"parent", swf::kPreloadParent},       {"global", swf::kPreloadGlobal}};
      static const std::map<std::string, uint16_t> suppress{
          {"this", swf::kSuppressThis}, {"arguments", swf::kSuppressArguments}, {"super", swf::kSuppressSuper}};
      while (i < L.words.size()) {
        const std::string& w = L.words[i++];
        if (w == "registers" && i < L.words.size()) {
          registers = Index(L, L.words[i++], 255, "a register count");
        } else if (w == "preload" || w == "suppress") {
          const auto& table = w == "preload" ? preload : suppress;
          size_t before = i;
          while (i < L.words.size() && table.count(L.words[i])) flags |= table.at(L.words[i++]);
          if (i == before) Fail(L, "'" + w + "' names none of what it takes");
        } else if (w == "args") {
          for (; i < L.words.size(); ++i) {
            const std::string& a = L.words[i];
            size_t eq = a.find('=');
            if (eq == std::string::npos) params.emplace_back(a, 0);
            else params.emplace_back(a.substr(0, eq), Index(L, a.substr(eq + 1), 255, "a register"));
          }
        } else {
          Fail(L, "unexpected '" + w + "' (registers N, preload ..., suppress ..., args ...)");
        }
      }
      U16(p, params.size());
      p.push_back(static_cast<uint8_t>(registers));
      U16(p, flags);
      for (const auto& [name, reg] : params) {
        if (reg >= std::max<size_t>(registers, 1) && reg != 0) Fail(L, "register " + std::to_string(reg) + " is beyond the function's registers");
        p.push_back(static_cast<uint8_t>(reg));
        Str(p, name);
      }
    }
    size_t sizeAt = out_.size() + 3 + p.size();
    U16(p, 0);
    Record(L, Version2 ? ActionCode::DefineFunction2 : ActionCode::DefineFunction, p);
    size_t bodyStart = out_.size();
    Block(At, Depth + 1, &L);
    PatchSize(L, sizeAt, out_.size() - bodyStart);
  }

  void PatchSize(const AsmLine& L, size_t At, size_t Size) {
    if (Size > 65535) Fail(L, "the block's body is longer than 65535 bytes");
    out_[At] = static_cast<uint8_t>(Size & 0xFF);
    out_[At + 1] = static_cast<uint8_t>(Size >> 8);
  }

  void Branch(const AsmLine& L, ActionCode C) {
    if (L.words.size() != 2) Fail(L, "'" + L.words[0] + "' takes one label");
    std::vector<uint8_t> p{0, 0};
    Record(L, C, p);
    fixups_.push_back({out_.size() - 2, out_.size(), L.words[1], L.number});
  }

  void Instruction(const AsmLine& L, size_t& At, int Depth) {
    const std::string& kw = L.words[0];
    size_t n = L.words.size();
    auto count = [&](size_t Min, size_t Max) {
      if (n - 1 < Min) Fail(L, "'" + kw + "' is missing its operands");
      if (n - 1 > Max) Fail(L, "unexpected '" + L.words[Max + 1] + "'");
    };
    if (L.quoted[0]) Fail(L, "an instruction, not a string, starts the line");
    if (kw.size() > 1 && kw.back() == ':') {
      count(0, 0);
      std::string label = kw.substr(0, kw.size() - 1);
      if (!labels_.emplace(label, out_.size()).second) Fail(L, "label '" + label + "' is defined twice");
      return;
    }
    auto simple = SimpleInstructions().find(kw);
    if (simple != SimpleInstructions().end()) {
      count(0, 0);
      out_.push_back(simple->second);
      return;
    }
    std::vector<uint8_t> p;
    if (kw == "push") {
      count(1, 100000);
      for (size_t i = 1; i < n; ++i) PushValue(L, i, p);
      Record(L, ActionCode::Push, p);
    } else if (kw == "constants") {
      count(0, 65535);
      U16(p, n - 1);
      for (size_t i = 1; i < n; ++i) Str(p, L.words[i]);
      Record(L, ActionCode::ConstantPool, p);
    } else if (kw == "gotoframe") {
      count(1, 1);
      U16(p, Index(L, L.words[1], 65535, "a frame index"));
      Record(L, ActionCode::GotoFrame, p);
    } else if (kw == "gotolabel" || kw == "settarget") {
      count(1, 1);
      Str(p, L.words[1]);
      Record(L, kw == "gotolabel" ? ActionCode::GotoLabel : ActionCode::SetTarget, p);
    } else if (kw == "gotoframe2") {
      count(1, 3);
      if (L.words[1] != "play" && L.words[1] != "stop") Fail(L, "gotoframe2 takes 'play' or 'stop'");
      uint8_t flags = L.words[1] == "play" ? 1 : 0;
      size_t bias = 0;
      if (n > 2) {
        if (L.words[2] != "bias" || n != 4) Fail(L, "gotoframe2 takes 'bias N' after play or stop");
        bias = Index(L, L.words[3], 65535, "a scene bias");
        flags |= 2;
      }
      p.push_back(flags);
      if (flags & 2) U16(p, bias);
      Record(L, ActionCode::GotoFrame2, p);
    } else if (kw == "geturl") {
      count(2, 2);
      Str(p, L.words[1]);
      Str(p, L.words[2]);
      Record(L, ActionCode::GetURL, p);
    } else if (kw == "geturl2") {
      uint8_t flags = 0;
      for (size_t i = 1; i < n; ++i) {
        const std::string& w = L.words[i];
        if (w == "get") flags = static_cast<uint8_t>((flags & ~3) | 1);
        else if (w == "post") flags = static_cast<uint8_t>((flags & ~3) | 2);
        else if (w == "loadtarget") flags |= 0x40;
        else if (w == "loadvariables") flags |= 0x80;
        else Fail(L, "geturl2 takes get, post, loadtarget and loadvariables, not '" + w + "'");
      }
      p.push_back(flags);
      Record(L, ActionCode::GetURL2, p);
    } else if (kw == "storeregister") {
      count(1, 1);
      p.push_back(static_cast<uint8_t>(Index(L, L.words[1], 255, "a register")));
      Record(L, ActionCode::StoreRegister, p);
    } else if (kw == "jump") {
      Branch(L, ActionCode::Jump);
    } else if (kw == "if") {
      Branch(L, ActionCode::If);
    } else if (kw == "call") {
      count(0, 0);
      Record(L, ActionCode::Call, p);
    } else if (kw == "function") {
      Function(L, At, Depth, false);
    } else if (kw == "function2") {
      Function(L, At, Depth, true);
    } else if (kw == "try") {
      Try(L, At, Depth);
    } else if (kw == "with") {
      count(0, 0);
      if (Depth >= kMaxNesting) Fail(L, "blocks nested deeper than " + std::to_string(kMaxNesting));
      size_t sizeAt = out_.size() + 3;
      U16(p, 0);
      Record(L, ActionCode::With, p);
      size_t bodyStart = out_.size();
      Block(At, Depth + 1, &L);
      PatchSize(L, sizeAt, out_.size() - bodyStart);
    } else if (kw == "externalcall") {
      count(1, 100000);
      ExternalInterfaceCall(L, "call", 1);
    } else if (kw == "addcallback") {
      // addCallback("name", thisVariable, functionVariable): the last two are read from variables.
      count(3, 3);
      PushWords(L, {L.words[3]});
      Simple(ActionCode::GetVariable);
      PushWords(L, {L.words[2]});
      Simple(ActionCode::GetVariable);
      AsmLine call{L.number, {L.words[0], L.words[1]}, {false, true}};
      ExternalInterfaceCall(call, "addCallback", 1, 2);
    } else if (kw == "fscommand") {
      count(1, 2);
      // fscommand("cmd", "args") as compilers emit it: a get-URL of "FSCommand:cmd" with the arguments as target.
      Str(p, "FSCommand:" + L.words[1]);
      Str(p, n > 2 ? L.words[2] : "");
      Record(L, ActionCode::GetURL, p);
    } else if (kw == "bytes") {
      count(1, 100000);
      for (size_t i = 1; i < n; ++i) {
        const std::string& h = L.words[i];
        if (h.size() % 2 || h.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
          Fail(L, "'" + h + "' is not whole bytes in hex");
        for (size_t k = 0; k < h.size(); k += 2) out_.push_back(static_cast<uint8_t>(std::stoi(h.substr(k, 2), nullptr, 16)));
      }
    } else {
      Fail(L, "unknown instruction '" + kw + "'");
    }
  }

  const std::vector<AsmLine>& lines_;
  std::vector<uint8_t> out_;
  std::map<std::string, size_t> labels_;
  std::vector<Fixup> fixups_;
};

}  // namespace

bool OpensAsmBlock(const std::string& Keyword) {
  return Keyword == "function" || Keyword == "function2" || Keyword == "with" || Keyword == "try";
}

std::vector<uint8_t> Assemble(const std::vector<AsmLine>& Lines) { return Assembler(Lines).Run(); }

}  // namespace swfc
