// Start-up opens the picture and act archives under the root with their
// budgets; release closes them.
#include <gtest/gtest.h>

#include "engine/ArchiveTestUtil.h"
#include "shell/PictureSetup.h"

TEST(PictureSetup, StartUpOpensTheArchivesAndReleaseClosesThem) {
    ArchiveRoot root;
    root.WriteSample();
    OpenPictureArchives();
    PicCacheStats s = GetPicCacheStats();
    EXPECT_GE(s.budget, 4u << 20);
    EXPECT_LE(s.budget, 16u << 20);
    EXPECT_EQ(GetActCacheStats().budget, 512u << 10);
    EXPECT_NE(GetPic(sample_art::kCursor, 0), nullptr);
    ActPlayer p;
    p.act = sample_art::kCursor;
    p.action = 13;
    EXPECT_EQ(TakeActData(&p), 1);
    FreePictureCaches();
    EXPECT_EQ(GetPicCacheStats().total, 0u);
    EXPECT_EQ(GetPic(sample_art::kCursor, 0), nullptr);
}
