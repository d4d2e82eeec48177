// The canvas: what the recording canvas records and measures, and that the painter
// canvas puts Windows RGB colours and shapes where they were asked.
#include "Canvas.h"

#include <gtest/gtest.h>

#include "Error.h"
#include "ImageCanvas.h"
#include "Resources.h"
#include "bmpCodec.h"

namespace {

TEST(ColorValues, RedIsTheLowByte) {
    EXPECT_EQ(RGB(33, 0, 127), 8323105u);
    EXPECT_EQ(RGB(0, 0, 255), 16711680u);
    EXPECT_EQ(RGB(239, 239, 239), 15724527u);
    EXPECT_EQ(redOf(8323105), 33);
    EXPECT_EQ(blueOf(8323105), 127);
    EXPECT_EQ(colorText(RGB(255, 0, 16)), "#ff0010");
}

TEST(RecordingCanvas, RecordsEveryCallAsOneLine) {
    RecordingCanvas c;
    c.setPen(RGB(128, 128, 128), 2, PenStyle::Dot);
    c.setBrush(std::nullopt);
    c.setFont(FontSpec{"Arial", 0, 10, true, false, 89.8});
    c.fillRect(Rect{20, 10, 30, 40.5}, RGB(255, 0, 0));
    c.line({1, 2}, {3.5, 4});
    c.polygon({{0, 0}, {5, 0}, {5, 5}});
    c.pie(Rect{0, 0, 100, 100}, 90, 45);
    c.text(Rect{5, 6, 70, 12}, "Total", TextAlign::Right | TextAlign::VCenter);
    c.picture(Picture(3, 2), Rect{0, 0, 6, 4});
    std::vector<std::string> expected = {
        "pen #808080 2 dot",
        "brush hollow",
        "font Arial 0x10 bold angle 89.8",
        "fillRect 10,20 30x40.5 #ff0000",
        "line 1,2 3.5,4",
        "polygon 0,0 5,0 5,5",
        "pie 0,0 100x100 90 45",
        "text 6,5 70x12 6 Total",
        "picture 3x2 0,0 6x4",
    };
    EXPECT_EQ(c.ops(), expected);
    EXPECT_EQ(c.opsOf("line").size(), 1u);
}

TEST(RecordingCanvas, MeasuresTextWithFixedMetrics) {
    RecordingCanvas c;
    c.setFont(FontSpec{"Arial", 0, 10});
    EXPECT_EQ(c.textWidth("Año"), 15);  // characters, not bytes
    EXPECT_EQ(c.textHeight(), 10);
    c.setFont(FontSpec{"Arial", 7, 10});
    EXPECT_EQ(c.textWidth("abcd"), 28);
}

TEST(ImageCanvas, DrawsColoursShapesAndTextWhereAsked) {
    ImageCanvas c(60, 40, colors::white);
    c.fillRect(Rect{5, 10, 20, 10}, 16711680);  // blue as the application writes it
    c.setPen(RGB(255, 0, 0), 1, PenStyle::Solid);
    c.line({0, 35}, {59, 35});
    Picture p = c.toPicture();
    EXPECT_EQ(p.at(15, 10), colors::blue);
    EXPECT_EQ(p.at(9, 10), colors::white);   // left of the rectangle
    EXPECT_EQ(p.at(15, 15), colors::white);  // below it
    EXPECT_EQ(p.at(30, 35), RGB(255, 0, 0));
}

TEST(ImageCanvas, WritesTextAlignedInItsRectangle) {
    ImageCanvas c(60, 20, colors::white);
    c.setFont(FontSpec{"DejaVu Sans", 0, 14});
    c.setTextColor(colors::black);
    EXPECT_GT(c.textWidth("Urnalia"), c.textWidth("U"));
    c.text(Rect{0, 0, 60, 20}, "W", TextAlign::Center);
    Picture p = c.toPicture();
    int dark = 0, leftDark = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x)
            if (redOf(p.at(x, y)) < 128) {
                ++dark;
                if (x < 20) ++leftDark;
            }
    EXPECT_GT(dark, 5);
    EXPECT_EQ(leftDark, 0);  // centred, not at the left edge
}

TEST(ImageCanvas, PicturesAreStretchedToTheirRectangle) {
    Picture red(2, 2, RGB(255, 0, 0));
    ImageCanvas c(10, 10);
    c.picture(red, Rect{0, 0, 8, 8});
    Picture p = c.toPicture();
    EXPECT_EQ(p.at(7, 7), RGB(255, 0, 0));
    EXPECT_EQ(p.at(9, 9), colors::white);
}

TEST(ImageCanvas, PieSlicesRunClockwiseFromTheTop) {
    ImageCanvas c(100, 100, colors::white);
    c.setPen(RGB(255, 0, 0), 1, PenStyle::None);
    c.setBrush(RGB(255, 0, 0));
    c.pie(Rect{0, 0, 100, 100}, 0, 90);  // twelve to three o'clock
    Picture p = c.toPicture();
    EXPECT_EQ(p.at(75, 25), RGB(255, 0, 0));  // upper right
    EXPECT_EQ(p.at(25, 25), colors::white);   // upper left
    EXPECT_EQ(p.at(75, 75), colors::white);   // lower right
}

TEST(MemoryBitmaps, HandlesComeFromGoodBytesOnly) {
    std::vector<ErrorRecord> errors;
    ScopedErrorHandler h([&](const ErrorRecord& r) {
        errors.push_back(r);
        return ErrorAction::Default;
    });
    auto bytes = encodeBmp24(Picture(3, 4, RGB(1, 2, 3)));
    int handle = CreateMemBitmap(std::string(bytes.begin(), bytes.end()));
    ASSERT_GT(handle, 0);
    ASSERT_NE(memBitmap(handle), nullptr);
    EXPECT_EQ(memBitmap(handle)->at(2, 3), RGB(1, 2, 3));
    EXPECT_TRUE(errors.empty());

    EXPECT_EQ(CreateMemBitmap(std::string("BMnonsense")), 0);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].subsystem, "TOOLKIT");
    EXPECT_EQ(errors[0].genCode, EG_CORRUPTION);

    EXPECT_TRUE(DeleteMemBitmap(handle));
    EXPECT_EQ(memBitmap(handle), nullptr);
    EXPECT_FALSE(DeleteMemBitmap(handle));

    EXPECT_TRUE(resourcePicture("no_such_picture").empty());
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[1].genCode, EG_OPEN);
    EXPECT_EQ(errors[1].fileName, "no_such_picture");
}

}  // namespace
