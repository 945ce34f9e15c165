#include "lzma_reference.h"

#include <lzma.h>

namespace lzmaref {

Bytes Compress(const Bytes& Data, uint32_t Lc, uint32_t Lp, uint32_t Pb, uint32_t Dictionary) {
  lzma_options_lzma options;
  lzma_lzma_preset(&options, 6);
  options.lc = Lc;
  options.lp = Lp;
  options.pb = Pb;
  options.dict_size = Dictionary;
  lzma_stream z = LZMA_STREAM_INIT;
  if (lzma_alone_encoder(&z, &options) != LZMA_OK) return {};
  Bytes out(Data.size() + Data.size() / 2 + 1024);
  z.next_in = Data.data();
  z.avail_in = Data.size();
  z.next_out = out.data();
  z.avail_out = out.size();
  const lzma_ret rc = lzma_code(&z, LZMA_FINISH);
  out.resize(z.total_out);
  lzma_end(&z);
  if (rc != LZMA_STREAM_END) return {};
  out.erase(out.begin() + 5, out.begin() + 13);  // the .lzma header's uncompressed size
  return out;
}

Decoded Decompress(const uint8_t* Properties, const uint8_t* Data, size_t Length, uint64_t Size) {
  Bytes in(Properties, Properties + 5);
  for (int i = 0; i < 8; ++i) in.push_back(static_cast<uint8_t>(Size >> (8 * i)));
  in.insert(in.end(), Data, Data + Length);
  Decoded d;
  lzma_stream z = LZMA_STREAM_INIT;
  if (lzma_alone_decoder(&z, UINT64_MAX) != LZMA_OK) return d;
  d.bytes.resize(Size + 1);  // room to show that it stops at Size
  z.next_in = in.data();
  z.avail_in = in.size();
  z.next_out = d.bytes.data();
  z.avail_out = d.bytes.size();
  lzma_ret rc = lzma_code(&z, LZMA_RUN);
  if (rc == LZMA_OK) rc = lzma_code(&z, LZMA_FINISH);
  d.bytes.resize(z.total_out);
  lzma_end(&z);
  d.ok = rc == LZMA_STREAM_END;
  d.dataError = rc == LZMA_DATA_ERROR || rc == LZMA_FORMAT_ERROR || rc == LZMA_OPTIONS_ERROR;
  return d;
}

}  // namespace lzmaref
