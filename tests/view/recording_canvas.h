#pragma once
// A canvas for geometry tests: it records every line and text drawn. On its own
// it measures a text as 6 pixels per character by the font height; given a
// real canvas it forwards everything to it and measures with it.

#include <memory>
#include <string>
#include <vector>

#include "view/canvas.h"

namespace tessmar::testing {

struct TRecordedLine {
  TPoint From, To;
  TColor Color;
};

struct TRecordedText {
  TPoint Pos, Size;
  std::string Text;
  TColor Color;
};

class TRecordingCanvas : public TCanvas {
 public:
  TRecordingCanvas(int w, int h, std::unique_ptr<TCanvas> inner = nullptr)
      : w_(w), h_(h), inner_(std::move(inner)) {}

  std::vector<TRecordedLine> Lines;
  std::vector<TRecordedText> Texts;
  int Clears = 0;

  void Forget() {
    Lines.clear();
    Texts.clear();
    Clears = 0;
  }

  [[nodiscard]] int Width() const override { return w_; }
  [[nodiscard]] int Height() const override { return h_; }
  void Clear(TColor c) override {
    ++Clears;
    Lines.clear();
    Texts.clear();
    if (inner_) inner_->Clear(c);
  }
  void SetPen(TColor c, int width) override {
    pen_ = c;
    if (inner_) inner_->SetPen(c, width);
  }
  void MoveTo(TPoint p) override {
    pos_ = p;
    if (inner_) inner_->MoveTo(p);
  }
  void LineTo(TPoint p) override {
    Lines.push_back({pos_, p, pen_});
    pos_ = p;
    if (inner_) inner_->LineTo(p);
  }
  void SetFont(const TFont& f) override {
    font_ = f;
    if (inner_) inner_->SetFont(f);
  }
  [[nodiscard]] TPoint TextExtent(std::string_view text) override {
    if (inner_) return inner_->TextExtent(text);
    return {6 * static_cast<int>(text.size()), font_.Height};
  }
  void TextOut(TPoint p, std::string_view text) override {
    Texts.push_back({p, TextExtent(text), std::string(text), font_.Color});
    if (inner_) inner_->TextOut(p, text);
  }
  void Draw(TPoint p, const TRgbImage& image) override {
    if (inner_) inner_->Draw(p, image);
  }
  [[nodiscard]] TRgbImage Snapshot() const override {
    if (inner_) return inner_->Snapshot();
    TRgbImage img;
    img.Width = w_;
    img.Height = h_;
    img.Pixels.assign(static_cast<std::size_t>(w_) * static_cast<std::size_t>(h_) * 3, 255);
    return img;
  }

 private:
  int w_, h_;
  std::unique_ptr<TCanvas> inner_;
  TColor pen_{};
  TPoint pos_{};
  TFont font_;
};

}  // namespace tessmar::testing
