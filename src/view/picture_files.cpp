#include "view/picture_files.h"

#include <cairo.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// jpeglib.h needs FILE and size_t declared before it.
#include <jerror.h>
#include <jpeglib.h>

#include <cctype>
#include <cerrno>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace tessmar {

namespace {

[[noreturn]] void WriteFailed(const std::string& path, int err) {
  throw std::runtime_error("Cannot write file " + path + ": " + std::strerror(err));
}

[[noreturn]] void ReadFailed(const std::string& path, const std::string& reason) {
  throw std::runtime_error("Cannot read file " + path + ": " + reason);
}

// Write `data` to a temporary file beside `path` and rename it into place.
void WriteFileAtomic(const std::string& path, const std::uint8_t* data, std::size_t size) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) WriteFailed(path, EISDIR);
  std::string name = path + ".tmp-XXXXXX";
  const int fd = ::mkstemp(name.data());
  if (fd < 0) WriteFailed(path, errno);
  auto fail = [&](int err) {
    ::close(fd);
    ::unlink(name.c_str());
    WriteFailed(path, err);
  };
  for (std::size_t done = 0; done < size;) {
    const ssize_t n = ::write(fd, data + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail(errno);
    }
    done += static_cast<std::size_t>(n);
  }
  ::fchmod(fd, 0644);  // mkstemp creates the file readable by its owner only
  if (::close(fd) != 0) {
    const int err = errno;
    ::unlink(name.c_str());
    WriteFailed(path, err);
  }
  if (::rename(name.c_str(), path.c_str()) != 0) {
    const int err = errno;
    ::unlink(name.c_str());
    WriteFailed(path, err);
  }
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) ReadFailed(path, std::strerror(errno));
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
  if (in.bad()) ReadFailed(path, std::strerror(errno));
  return bytes;
}

void CheckImage(const TRgbImage& image) {
  if (image.Width <= 0 || image.Height <= 0 ||
      image.Pixels.size() != static_cast<std::size_t>(image.Width) * image.Height * 3)
    throw std::invalid_argument("picture of " + std::to_string(image.Width) + "x" +
                                std::to_string(image.Height) + " pixels with " +
                                std::to_string(image.Pixels.size()) + " bytes");
}

// ----------------------------------------------------------------- BMP

void Put16(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::uint8_t* p, std::uint32_t v) {
  Put16(p, v);
  Put16(p + 2, v >> 16);
}
std::uint32_t Get16(const std::uint8_t* p) {
  return p[0] | (std::uint32_t{p[1]} << 8);
}
std::uint32_t Get32(const std::uint8_t* p) {
  return Get16(p) | (Get16(p + 2) << 16);
}

constexpr std::size_t kFileHeader = 14, kInfoHeader = 40;
constexpr std::uint32_t kPixelsPerMetre = 3780;  // 96 dots per inch

std::size_t BmpRowSize(int width) {
  return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
}

// ---------------------------------------------------------------- JPEG

struct JpegError {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void JpegErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<JpegError*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

void JpegSilence(j_common_ptr, int) {}

// A growing memory buffer as the compressor's destination.
struct JpegBuffer {
  jpeg_destination_mgr pub;
  JOCTET* data;
  std::size_t capacity;
  std::size_t size;
};

void BufferInit(j_compress_ptr cinfo) {
  auto* b = reinterpret_cast<JpegBuffer*>(cinfo->dest);
  b->pub.next_output_byte = b->data;
  b->pub.free_in_buffer = b->capacity;
}

boolean BufferEmpty(j_compress_ptr cinfo) {
  auto* b = reinterpret_cast<JpegBuffer*>(cinfo->dest);
  const std::size_t used = b->capacity;
  auto* grown = static_cast<JOCTET*>(std::realloc(b->data, 2 * b->capacity));
  if (grown == nullptr) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
  b->data = grown;
  b->capacity *= 2;
  b->pub.next_output_byte = b->data + used;
  b->pub.free_in_buffer = b->capacity - used;
  return TRUE;
}

void BufferTerm(j_compress_ptr cinfo) {
  auto* b = reinterpret_cast<JpegBuffer*>(cinfo->dest);
  b->size = b->capacity - b->pub.free_in_buffer;
}

// Compresses into `out` (malloc'ed; the caller frees out->data in every case).
// Holds only plain C objects, so the library's error exit may jump back here.
bool CompressJpeg(const TRgbImage& image, JpegBuffer* out, char* message) {
  jpeg_compress_struct cinfo{};
  JpegError err{};
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = JpegErrorExit;
  err.pub.emit_message = JpegSilence;
  if (setjmp(err.jump) != 0) {
    std::strcpy(message, err.message);
    jpeg_destroy_compress(&cinfo);
    return false;
  }
  jpeg_create_compress(&cinfo);
  out->pub.init_destination = BufferInit;
  out->pub.empty_output_buffer = BufferEmpty;
  out->pub.term_destination = BufferTerm;
  cinfo.dest = &out->pub;
  cinfo.image_width = static_cast<JDIMENSION>(image.Width);
  cinfo.image_height = static_cast<JDIMENSION>(image.Height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  const std::size_t rowBytes = static_cast<std::size_t>(image.Width) * 3;
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(image.Pixels.data() + cinfo.next_scanline * rowBytes);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}

// Decompresses `bytes` into `image`. Only plain C objects live in this frame
// besides the caller's image, so the library's error exit may jump back here.
bool DecompressJpeg(const std::vector<std::uint8_t>& bytes, TRgbImage* image, char* message) {
  jpeg_decompress_struct cinfo{};
  JpegError err{};
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = JpegErrorExit;
  err.pub.emit_message = JpegSilence;
  if (setjmp(err.jump) != 0) {
    std::strcpy(message, err.message);
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, const_cast<unsigned char*>(bytes.data()),
               static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  const std::size_t rowBytes = static_cast<std::size_t>(cinfo.output_width) * 3;
  try {
    image->Pixels.resize(rowBytes * cinfo.output_height);
  } catch (...) {
    jpeg_destroy_decompress(&cinfo);
    throw;
  }
  image->Width = static_cast<int>(cinfo.output_width);
  image->Height = static_cast<int>(cinfo.output_height);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = image->Pixels.data() + cinfo.output_scanline * rowBytes;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

// ----------------------------------------------------------------- PNG

cairo_status_t AppendPng(void* closure, const unsigned char* data, unsigned int length) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(closure);
  try {
    out->insert(out->end(), data, data + length);
  } catch (...) {
    return CAIRO_STATUS_NO_MEMORY;
  }
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

void WriteBmp(const std::string& path, const TRgbImage& image) {
  CheckImage(image);
  const std::size_t rowSize = BmpRowSize(image.Width);
  const std::size_t pixelBytes = rowSize * static_cast<std::size_t>(image.Height);
  const std::size_t offset = kFileHeader + kInfoHeader;
  if (offset + pixelBytes > 0xFFFFFFFFu) throw std::invalid_argument("picture too large for BMP");
  std::vector<std::uint8_t> file(offset + pixelBytes, 0);
  std::uint8_t* h = file.data();
  h[0] = 'B', h[1] = 'M';
  Put32(h + 2, static_cast<std::uint32_t>(file.size()));
  Put32(h + 10, static_cast<std::uint32_t>(offset));
  std::uint8_t* info = h + kFileHeader;
  Put32(info, kInfoHeader);
  Put32(info + 4, static_cast<std::uint32_t>(image.Width));
  Put32(info + 8, static_cast<std::uint32_t>(image.Height));  // positive: bottom-up
  Put16(info + 12, 1);                                        // planes
  Put16(info + 14, 24);                                       // bits per pixel
  Put32(info + 16, 0);                                        // BI_RGB
  Put32(info + 20, static_cast<std::uint32_t>(pixelBytes));
  Put32(info + 24, kPixelsPerMetre);
  Put32(info + 28, kPixelsPerMetre);
  for (int y = 0; y < image.Height; ++y) {
    const std::uint8_t* src = image.Pixels.data() + static_cast<std::size_t>(y) * image.Width * 3;
    std::uint8_t* dst = h + offset + static_cast<std::size_t>(image.Height - 1 - y) * rowSize;
    for (int x = 0; x < image.Width; ++x, src += 3, dst += 3) {
      dst[0] = src[2];
      dst[1] = src[1];
      dst[2] = src[0];
    }
  }
  WriteFileAtomic(path, file.data(), file.size());
}

TRgbImage ReadBmp(const std::string& path) {
  const std::vector<std::uint8_t> f = ReadWholeFile(path);
  auto bad = [&](const std::string& why) -> TRgbImage { ReadFailed(path, why); };
  if (f.size() < kFileHeader + kInfoHeader || f[0] != 'B' || f[1] != 'M')
    return bad("not a BMP file");
  const std::uint8_t* info = f.data() + kFileHeader;
  const std::uint32_t infoSize = Get32(info);
  if (infoSize < kInfoHeader) return bad("unsupported BMP header");
  const auto width = static_cast<std::int32_t>(Get32(info + 4));
  const auto height = static_cast<std::int32_t>(Get32(info + 8));
  if (Get16(info + 14) != 24 || Get32(info + 16) != 0) return bad("not an uncompressed 24-bit BMP");
  if (width <= 0 || height == 0 || width > 0x7FFF || height > 0x7FFF || height < -0x7FFF)
    return bad("bad BMP size");
  const bool bottomUp = height > 0;
  const int rows = bottomUp ? height : -height;
  const std::size_t offset = Get32(f.data() + 10);
  const std::size_t rowSize = BmpRowSize(width);
  if (offset < kFileHeader + infoSize || offset + rowSize * rows > f.size())
    return bad("truncated BMP file");
  TRgbImage img;
  img.Width = width;
  img.Height = rows;
  img.Pixels.resize(static_cast<std::size_t>(width) * rows * 3);
  for (int y = 0; y < rows; ++y) {
    const std::uint8_t* src = f.data() + offset + (bottomUp ? rows - 1 - y : y) * rowSize;
    std::uint8_t* dst = img.Pixels.data() + static_cast<std::size_t>(y) * width * 3;
    for (int x = 0; x < width; ++x, src += 3, dst += 3) {
      dst[0] = src[2];
      dst[1] = src[1];
      dst[2] = src[0];
    }
  }
  return img;
}

void WriteJpeg(const std::string& path, const TRgbImage& image) {
  CheckImage(image);
  if (image.Width > JPEG_MAX_DIMENSION || image.Height > JPEG_MAX_DIMENSION)
    throw std::invalid_argument("picture too large for JPEG");
  JpegBuffer buffer{};
  buffer.capacity = 64 * 1024;
  buffer.data = static_cast<JOCTET*>(std::malloc(buffer.capacity));
  if (buffer.data == nullptr) throw std::bad_alloc();
  char message[JMSG_LENGTH_MAX] = {};
  const bool ok = CompressJpeg(image, &buffer, message);
  if (!ok) {
    std::free(buffer.data);
    throw std::runtime_error("Cannot write file " + path + ": " + message);
  }
  try {
    WriteFileAtomic(path, buffer.data, buffer.size);
  } catch (...) {
    std::free(buffer.data);
    throw;
  }
  std::free(buffer.data);
}

TRgbImage ReadJpeg(const std::string& path) {
  const std::vector<std::uint8_t> bytes = ReadWholeFile(path);
  TRgbImage img;
  char message[JMSG_LENGTH_MAX] = {};
  if (!DecompressJpeg(bytes, &img, message)) ReadFailed(path, message);
  return img;
}

void WritePng(const std::string& path, const TRgbImage& image) {
  CheckImage(image);
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, image.Width, image.Height);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    const std::string reason = cairo_status_to_string(cairo_surface_status(s));
    cairo_surface_destroy(s);
    throw std::runtime_error("Cannot write file " + path + ": " + reason);
  }
  cairo_surface_flush(s);
  unsigned char* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  const std::uint8_t* src = image.Pixels.data();
  for (int y = 0; y < image.Height; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    for (int x = 0; x < image.Width; ++x, src += 3)
      row[x] = (std::uint32_t{src[0]} << 16) | (std::uint32_t{src[1]} << 8) | src[2];
  }
  cairo_surface_mark_dirty(s);
  std::vector<std::uint8_t> bytes;
  const cairo_status_t st = cairo_surface_write_to_png_stream(s, AppendPng, &bytes);
  cairo_surface_destroy(s);
  if (st != CAIRO_STATUS_SUCCESS)
    throw std::runtime_error("Cannot write file " + path + ": " + cairo_status_to_string(st));
  WriteFileAtomic(path, bytes.data(), bytes.size());
}

// ------------------------------------------------------------- caption

std::string PictureCaption(std::string fileName, char numberDecSeparator) {
  // Without directory and extension.
  const std::size_t slash = fileName.find_last_of("/\\");
  if (slash != std::string::npos) fileName.erase(0, slash + 1);
  const std::size_t dot = fileName.rfind('.');
  if (dot != std::string::npos) fileName.erase(dot);

  const std::string& s = fileName;
  const std::size_t n = s.size();
  auto digit = [&](std::size_t i) {
    return i < n && std::isdigit(static_cast<unsigned char>(s[i])) != 0;
  };
  auto nameChar = [&](std::size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    return std::isalnum(c) != 0 || c == '_';
  };

  // Find where the time number starts: a digit, or "#" and a digit, not inside a name.
  std::size_t start = n;
  for (std::size_t i = 0; i < n; ++i) {
    const bool begins = digit(i) || (s[i] == '#' && digit(i + 1));
    if (!begins) continue;
    if (i > 0 && nameChar(i - 1)) {
      // Skip the rest of this name.
      while (i + 1 < n && nameChar(i + 1)) ++i;
      continue;
    }
    start = i;
    break;
  }
  if (start == n) return fileName;

  std::string out = s.substr(0, start);
  bool onlyZeros = true, signSeen = false, separatorSeen = false, exponentSeen = false;
  std::size_t i = start;
  while (i < n) {
    const char c = s[i];
    if (digit(i)) {
      out += c;
      if (c != '0') onlyZeros = false;
      ++i;
    } else if (c == '#' && onlyZeros && !signSeen && !separatorSeen && digit(i + 1)) {
      out += " - ";
      signSeen = true;
      ++i;
    } else if (c == numberDecSeparator && !separatorSeen && !exponentSeen && i > start &&
               digit(i - 1) && digit(i + 1)) {
      out += " ,";
      separatorSeen = true;
      ++i;
    } else if ((c == 'E' || c == 'e') && !exponentSeen && i > start && digit(i - 1) &&
               (digit(i + 1) ||
                ((i + 1 < n && (s[i + 1] == '-' || s[i + 1] == '+')) && digit(i + 2)))) {
      exponentSeen = true;
      out += c;
      ++i;
      if (s[i] == '-' || s[i] == '+') out += s[i++];
    } else {
      break;
    }
  }
  out.append(s, i, std::string::npos);
  return out;
}

}  // namespace tessmar
