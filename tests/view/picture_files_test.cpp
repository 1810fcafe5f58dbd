#include "view/picture_files.h"

#include <cairo.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "view/canvas.h"

namespace tessmar {
namespace {

namespace fs = std::filesystem;

constexpr TColor kWhite{255, 255, 255};
constexpr TColor kRed{255, 0, 0};

class PictureFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("tessmar_pictures_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  [[nodiscard]] std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  [[nodiscard]] std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir_;
};

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t Le32(const std::string& s, std::size_t at) {
  return static_cast<std::uint8_t>(s[at]) | static_cast<std::uint8_t>(s[at + 1]) << 8 |
         static_cast<std::uint8_t>(s[at + 2]) << 16 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[at + 3])) << 24;
}

// A 5x3 image of distinct pixels: 15 bytes per row, so BMP rows carry one pad byte.
TRgbImage SmallImage() {
  TRgbImage img{5, 3, {}};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) {
      img.Pixels.push_back(static_cast<std::uint8_t>(40 * x));
      img.Pixels.push_back(static_cast<std::uint8_t>(80 * y + 1));
      img.Pixels.push_back(static_cast<std::uint8_t>(200 - 10 * x - 50 * y));
    }
  return img;
}

// A white 64x48 canvas with a red 1-pixel line along row 20 from x = 10 to 50.
TRgbImage RedLinePicture() {
  auto c = MakeCanvas(64, 48);
  c->SetPen(kRed);
  c->MoveTo({10, 20});
  c->LineTo({50, 20});
  return c->Snapshot();
}

TEST_F(PictureFilesTest, BmpIsBottomUpWithPaddedRowsAndReadsBackExactly) {
  const TRgbImage img = SmallImage();
  WriteBmp(Path("small.bmp"), img);
  const std::string f = ReadText(Path("small.bmp"));
  ASSERT_EQ(f.size(), 54u + 3u * 16u);
  EXPECT_EQ(f.substr(0, 2), "BM");
  EXPECT_EQ(Le32(f, 2), f.size());
  EXPECT_EQ(Le32(f, 10), 54u);  // pixels follow the two headers
  EXPECT_EQ(Le32(f, 14), 40u);  // BITMAPINFOHEADER
  EXPECT_EQ(Le32(f, 18), 5u);
  EXPECT_EQ(Le32(f, 22), 3u);              // positive height: bottom-up
  EXPECT_EQ(Le32(f, 26), 24u << 16 | 1u);  // one plane, 24 bits
  EXPECT_EQ(Le32(f, 30), 0u);              // uncompressed
  // The first stored row is the bottom row, in blue-green-red order.
  const TColor bottomLeft = img.At(0, 2);
  EXPECT_EQ(static_cast<std::uint8_t>(f[54]), bottomLeft.b);
  EXPECT_EQ(static_cast<std::uint8_t>(f[55]), bottomLeft.g);
  EXPECT_EQ(static_cast<std::uint8_t>(f[56]), bottomLeft.r);
  EXPECT_EQ(f[54 + 15], '\0');  // the pad byte

  const TRgbImage back = ReadBmp(Path("small.bmp"));
  EXPECT_EQ(back.Width, 5);
  EXPECT_EQ(back.Height, 3);
  EXPECT_EQ(back.Pixels, img.Pixels);
  EXPECT_EQ(Entries(), std::vector<std::string>{"small.bmp"});
}

TEST_F(PictureFilesTest, JpegDecodesToTheSizeAndColoursOfTheImage) {
  // Two flat halves survive compression to within a few levels.
  TRgbImage img{40, 24, {}};
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 40; ++x) {
      const TColor c = x < 16 ? TColor{0, 0, 160} : TColor{250, 240, 200};
      img.Pixels.insert(img.Pixels.end(), {c.r, c.g, c.b});
    }
  WriteJpeg(Path("halves.jpg"), img);
  const std::string f = ReadText(Path("halves.jpg"));
  ASSERT_GE(f.size(), 4u);
  EXPECT_EQ(f.substr(0, 2), "\xFF\xD8");
  EXPECT_EQ(f.substr(f.size() - 2), "\xFF\xD9");

  const TRgbImage back = ReadJpeg(Path("halves.jpg"));
  ASSERT_EQ(back.Width, 40);
  ASSERT_EQ(back.Height, 24);
  for (const TPoint p : {TPoint{2, 2}, TPoint{8, 20}, TPoint{30, 3}, TPoint{37, 22}}) {
    const TColor want = img.At(p.x, p.y), got = back.At(p.x, p.y);
    EXPECT_NEAR(got.r, want.r, 6) << p.x << "," << p.y;
    EXPECT_NEAR(got.g, want.g, 6) << p.x << "," << p.y;
    EXPECT_NEAR(got.b, want.b, 6) << p.x << "," << p.y;
  }
}

TEST_F(PictureFilesTest, RedLineOfTheCanvasReachesBmpExactlyAndJpegClosely) {
  const TRgbImage pic = RedLinePicture();
  WriteBmp(Path("line.bmp"), pic);
  WriteJpeg(Path("line.jpg"), pic);

  const TRgbImage bmp = ReadBmp(Path("line.bmp"));
  EXPECT_EQ(bmp.Pixels, pic.Pixels);
  for (int x = 10; x <= 50; ++x) EXPECT_EQ(bmp.At(x, 20), kRed) << x;
  EXPECT_EQ(bmp.At(9, 20), kWhite);
  EXPECT_EQ(bmp.At(30, 19), kWhite);

  // JPEG halves the colour resolution, so a 1-pixel line comes back as a clearly
  // red row between pale rows; the picture away from it stays white.
  const TRgbImage jpg = ReadJpeg(Path("line.jpg"));
  ASSERT_EQ(jpg.Width, 64);
  ASSERT_EQ(jpg.Height, 48);
  for (int x = 12; x <= 46; ++x) {
    const TColor p = jpg.At(x, 20);
    EXPECT_GT(p.r, 120) << x;
    EXPECT_GT(p.r - p.g, 60) << x;
    EXPECT_GT(p.r - p.b, 60) << x;
    for (const int y : {16, 24, 40}) {
      const TColor w = jpg.At(x, y);
      EXPECT_GT(w.r + w.g + w.b, 3 * 235) << x << "," << y;
    }
  }
}

TEST_F(PictureFilesTest, PngHoldsTheExactPixels) {
  const TRgbImage img = SmallImage();
  WritePng(Path("small.png"), img);
  cairo_surface_t* s = cairo_image_surface_create_from_png(Path("small.png").c_str());
  ASSERT_EQ(cairo_surface_status(s), CAIRO_STATUS_SUCCESS);
  ASSERT_EQ(cairo_image_surface_get_width(s), 5);
  ASSERT_EQ(cairo_image_surface_get_height(s), 3);
  const unsigned char* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) {
      const auto v = reinterpret_cast<const std::uint32_t*>(data + y * stride)[x];
      const TColor want = img.At(x, y);
      EXPECT_EQ((TColor{static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
                        static_cast<std::uint8_t>(v)}),
                want)
          << x << "," << y;
    }
  cairo_surface_destroy(s);
}

TEST_F(PictureFilesTest, RewritingReplacesTheFileAndLeavesNoTemporary) {
  WriteBmp(Path("pic.bmp"), SmallImage());
  WriteBmp(Path("pic.bmp"), RedLinePicture());
  WriteJpeg(Path("pic.jpg"), SmallImage());
  WriteJpeg(Path("pic.jpg"), RedLinePicture());
  EXPECT_EQ(ReadBmp(Path("pic.bmp")).Width, 64);
  EXPECT_EQ(ReadJpeg(Path("pic.jpg")).Width, 64);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"pic.bmp", "pic.jpg"}));
  struct stat st {};
  ASSERT_EQ(::stat(Path("pic.jpg").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);  // readable by others, like any picture
}

// Writers that cannot write throw with the path and the system's reason, and
// leave the directory as it was.
using Writer = void (*)(const std::string&, const TRgbImage&);
const std::pair<const char*, Writer> kWriters[] = {
    {"bmp", WriteBmp}, {"jpg", WriteJpeg}, {"png", WritePng}};

TEST_F(PictureFilesTest, UnwritablePathThrowsWithTheReasonAndLeavesNothing) {
  std::ofstream(Path("plain")) << "a regular file";
  std::filesystem::create_directory(Path("dir.bmp"));
  for (const auto& [ext, write] : kWriters) {
    SCOPED_TRACE(ext);
    const std::string underFile = Path("plain") + "/pic." + ext;
    try {
      write(underFile, SmallImage());
      ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(underFile), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find("Not a directory"), std::string::npos) << e.what();
    }
    try {
      write(Path("dir.bmp"), SmallImage());
      ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find("Is a directory"), std::string::npos) << e.what();
    }
  }
  EXPECT_EQ(Entries(), (std::vector<std::string>{"dir.bmp", "plain"}));
  EXPECT_TRUE(fs::is_empty(Path("dir.bmp")));
  EXPECT_EQ(ReadText(Path("plain")), "a regular file");
}

TEST_F(PictureFilesTest, WriteFailingHalfwayKeepsTheOldFileAndRemovesTheTemporary) {
  // A file-size limit makes the write fail after its temporary file exists.
  for (const auto& [ext, write] : kWriters) {
    SCOPED_TRACE(ext);
    const std::string path = Path(std::string("old.") + ext);
    std::ofstream(path) << "old picture";
    {
      auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
      rlimit old{};
      ::getrlimit(RLIMIT_FSIZE, &old);
      rlimit small = old;
      small.rlim_cur = 100;
      ::setrlimit(RLIMIT_FSIZE, &small);
      bool threw = false;
      try {
        write(path, RedLinePicture());
      } catch (const std::runtime_error& e) {
        threw = std::string(e.what()).find(path) != std::string::npos;
      }
      ::setrlimit(RLIMIT_FSIZE, &old);
      std::signal(SIGXFSZ, oldHandler);
      EXPECT_TRUE(threw);
    }
    EXPECT_EQ(ReadText(path), "old picture");
  }
  EXPECT_EQ(Entries(), (std::vector<std::string>{"old.bmp", "old.jpg", "old.png"}));
}

TEST_F(PictureFilesTest, ReadersRefuseWhatTheyCannotDecode) {
  WriteBmp(Path("good.bmp"), SmallImage());
  std::string bmp = ReadText(Path("good.bmp"));
  std::ofstream(Path("cut.bmp"), std::ios::binary) << bmp.substr(0, bmp.size() - 5);
  bmp[28] = 8;  // 8 bits per pixel
  std::ofstream(Path("palette.bmp"), std::ios::binary) << bmp;
  std::ofstream(Path("text.jpg"), std::ios::binary) << "no picture at all";
  WriteJpeg(Path("good.jpg"), SmallImage());
  const std::string jpg = ReadText(Path("good.jpg"));
  std::ofstream(Path("cut.jpg"), std::ios::binary) << jpg.substr(0, 40);

  for (const char* name : {"cut.bmp", "palette.bmp", "missing.bmp", "good.jpg"})
    EXPECT_THROW((void)ReadBmp(Path(name)), std::runtime_error) << name;
  for (const char* name : {"text.jpg", "cut.jpg", "missing.jpg", "good.bmp"})
    EXPECT_THROW((void)ReadJpeg(Path(name)), std::runtime_error) << name;
}

TEST(PictureCaptionTest, ShowsTheTimeNumberOfTheName) {
  const struct {
    const char* name;
    const char* caption;
  } cases[] = {
      {"0012p500", "0012 ,500"},                // fixed width 8
      {"/runs/al/0012p500.jpg", "0012 ,500"},   // directory and extension dropped
      {"C:\\runs\\0012p500.BMP", "0012 ,500"},  // a Windows directory too
      {"2p5ps", "2 ,5ps"},                      // the unit's "p" stays
      {"00#1p500", "00 - 1 ,500"},              // a negative time
      {"#2p5E-5ps.jpg", " - 2 ,5E-5ps"},        // negative, exponent and unit
      {"1p5E-5", "1 ,5E-5"},                    // the exponent's sign stays
      {"1E7fs", "1E7fs"},                       // nothing to show differently
      {"0012p500p2", "0012 ,500p2"},            // one separator per number
      {"Alp2", "Alp2"},                         // a name, no number
      {"shot_3p5", "shot_3p5"},                 // digits inside a name
      {"shot 3p5 p7", "shot 3 ,5 p7"},          // only the first number
      {"x-2p5", "x-2 ,5"},                      // "-" is no "#"
      {"12#3", "12#3"},                         // "#" after a nonzero digit
      {"2p", "2p"},                             // no digit after the separator
      {"picture", "picture"},
  };
  for (const auto& c : cases) EXPECT_EQ(PictureCaption(c.name), c.caption) << c.name;
  EXPECT_EQ(PictureCaption("12.5ps.jpg", '.'), "12 ,5ps");
  EXPECT_EQ(PictureCaption("12d5.jpg", 'd'), "12 ,5");
}

}  // namespace
}  // namespace tessmar
