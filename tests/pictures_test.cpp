#include "pictures.h"

#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <cstring>

using brickfall::Image;

namespace {

// Decodes with SDL_image, the loader the engine itself uses, into RGBA bytes.
Image decode(const std::vector<std::uint8_t>& png) {
  SDL_RWops* rw = SDL_RWFromConstMem(png.data(), static_cast<int>(png.size()));
  SDL_Surface* loaded = IMG_LoadPNG_RW(rw);
  SDL_RWclose(rw);
  if (!loaded) {
    ADD_FAILURE() << "not a PNG SDL_image reads: " << IMG_GetError();
    return Image(0, 0);
  }
  SDL_Surface* rgba = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ABGR8888, 0);  // bytes R, G, B, A
  SDL_FreeSurface(loaded);
  Image out(rgba->w, rgba->h);
  for (int y = 0; y < rgba->h; ++y)
    std::memcpy(out.at(0, y), static_cast<const std::uint8_t*>(rgba->pixels) + y * rgba->pitch,
                static_cast<std::size_t>(rgba->w) * 4);
  SDL_FreeSurface(rgba);
  return out;
}

}  // namespace

TEST(Pictures, RoundTripThroughAPngDecoder) {
  struct Case {
    const char* name;
    Image image;
    int width, height;
  } cases[] = {{"block", brickfall::blockPicture(), 40, 20},
               {"paddle", brickfall::paddlePicture(), 150, 20},
               {"ball", brickfall::ballPicture(), 14, 14}};
  for (Case& c : cases) {
    ASSERT_EQ(c.image.width, c.width) << c.name;
    ASSERT_EQ(c.image.height, c.height) << c.name;
    const Image back = decode(brickfall::encodePng(c.image));
    EXPECT_EQ(back.width, c.width) << c.name;
    EXPECT_EQ(back.height, c.height) << c.name;
    EXPECT_TRUE(back.rgba == c.image.rgba) << c.name;
  }
}

TEST(Pictures, LargeImagesSpanSeveralStoredBlocks) {
  // 200 x 100 RGBA rows are 80,100 bytes, more than one stored block holds.
  Image big(200, 100);
  for (std::size_t i = 0; i < big.rgba.size(); ++i) big.rgba[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
  EXPECT_TRUE(decode(brickfall::encodePng(big)).rgba == big.rgba);
}

TEST(Pictures, ShapesAreSolidInsideAndSoftAtTheEdges) {
  Image block = brickfall::blockPicture(), paddle = brickfall::paddlePicture(), ball = brickfall::ballPicture();
  EXPECT_EQ(block.at(20, 10)[3], 255);
  EXPECT_EQ(block.at(1, 10)[3], 255);  // bricks tile edge to edge
  EXPECT_LT(block.at(0, 0)[3], 255);   // but their corners are rounded
  EXPECT_EQ(paddle.at(75, 10)[3], 255);
  EXPECT_EQ(paddle.at(0, 0)[3], 0);
  EXPECT_EQ(ball.at(7, 7)[3], 255);
  EXPECT_EQ(ball.at(0, 0)[3], 0);
  int partial = 0;
  for (int x = 0; x < 14; ++x)
    for (int y = 0; y < 14; ++y) partial += ball.at(x, y)[3] > 0 && ball.at(x, y)[3] < 255;
  EXPECT_GT(partial, 12);  // an anti-aliased rim, not a jagged disc
  // The ball is lit from the top left.
  EXPECT_GT(ball.at(5, 5)[0], ball.at(9, 9)[0]);
}
