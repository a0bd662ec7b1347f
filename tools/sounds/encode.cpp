#include "tools/sounds/encode.h"

#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace sfx {

namespace {

void AppendPage(std::vector<uint8_t>& out, const ogg_page& page) {
  out.insert(out.end(), page.header, page.header + page.header_len);
  out.insert(out.end(), page.body, page.body + page.body_len);
}

// Memory source for vorbisfile.
struct Reader {
  const std::vector<uint8_t>* image;
  size_t position;
};

size_t ReadMemory(void* into, size_t size, size_t count, void* source) {
  auto* r = static_cast<Reader*>(source);
  if (size == 0) return 0;
  const size_t items = std::min(count, (r->image->size() - r->position) / size);
  std::memcpy(into, r->image->data() + r->position, items * size);
  r->position += items * size;
  return items;
}

int SeekMemory(void* source, ogg_int64_t offset, int whence) {
  auto* r = static_cast<Reader*>(source);
  const int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? int64_t(r->position) : int64_t(r->image->size());
  const int64_t to = base + offset;
  if (to < 0 || to > int64_t(r->image->size())) return -1;
  r->position = size_t(to);
  return 0;
}

long TellMemory(void* source) { return long(static_cast<Reader*>(source)->position); }

}  // namespace

std::vector<int16_t> ToPcm16(const Clip& clip) {
  std::vector<int16_t> out;
  const int frames = clip.Frames();
  out.reserve(size_t(frames) * clip.channels.size());
  for (int i = 0; i < frames; ++i) {
    for (const Signal& channel : clip.channels) {
      out.push_back(int16_t(std::clamp(std::lround(channel[i] * 32767.0), -32768L, 32767L)));
    }
  }
  return out;
}

std::vector<uint8_t> EncodeVorbis(const Clip& clip, float quality, int serial) {
  const int channels = int(clip.channels.size());
  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, channels, clip.rate, quality) != 0) {
    vorbis_info_clear(&info);
    throw std::runtime_error("the Vorbis encoder refuses this format");
  }
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_dsp_state dsp;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block block;
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, serial);

  std::vector<uint8_t> out;
  ogg_page page;
  ogg_packet identification, comments, codebooks;
  vorbis_analysis_headerout(&dsp, &comment, &identification, &comments, &codebooks);
  ogg_stream_packetin(&stream, &identification);
  ogg_stream_packetin(&stream, &comments);
  ogg_stream_packetin(&stream, &codebooks);
  while (ogg_stream_flush(&stream, &page) != 0) AppendPage(out, page);

  auto drain = [&] {
    ogg_packet packet;
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1) {
        ogg_stream_packetin(&stream, &packet);
        while (ogg_stream_pageout(&stream, &page) != 0) AppendPage(out, page);
      }
    }
  };

  constexpr int kPiece = 1024;
  const int frames = clip.Frames();
  for (int start = 0; start < frames; start += kPiece) {
    const int count = std::min(kPiece, frames - start);
    float** buffer = vorbis_analysis_buffer(&dsp, count);
    for (int c = 0; c < channels; ++c) {
      for (int i = 0; i < count; ++i) {
        buffer[c][i] = float(std::clamp(clip.channels[c][start + i], -1.0, 1.0));
      }
    }
    vorbis_analysis_wrote(&dsp, count);
    drain();
  }
  vorbis_analysis_wrote(&dsp, 0);  // end of stream
  drain();
  while (ogg_stream_flush(&stream, &page) != 0) AppendPage(out, page);

  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return out;
}

VorbisFacts ReadVorbisFacts(const std::vector<uint8_t>& image) {
  Reader reader{&image, 0};
  const ov_callbacks callbacks{ReadMemory, SeekMemory, nullptr, TellMemory};
  OggVorbis_File file;
  if (ov_open_callbacks(&reader, &file, nullptr, 0, callbacks) != 0) return {};
  VorbisFacts facts;
  const vorbis_info* info = ov_info(&file, -1);
  facts.ok = info != nullptr;
  if (info != nullptr) {
    facts.channels = info->channels;
    facts.rate = int(info->rate);
  }
  facts.frames = ov_pcm_total(&file, -1);
  ov_clear(&file);
  return facts;
}

}  // namespace sfx
