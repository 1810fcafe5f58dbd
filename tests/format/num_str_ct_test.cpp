// Sharing of format objects between holders: following, chains, private
// copies when a link is cleared or its source destroyed, Assign.

#include "format/num_str_ct.h"

#include <gtest/gtest.h>

#include <memory>

#include "format/real_edit.h"

namespace tessmar {
namespace {

TEST(NumStrCt, OwnsItsFormatAndForwardsProperties) {
  TNumStrCt ct;
  EXPECT_TRUE(ct.OwnsFormat());
  EXPECT_EQ(ct.FormatControl(), nullptr);
  ct.SetFormatType(TFloatFormat::Fixed);
  ct.SetPressigion(3);
  ct.SetWidth(8);
  ct.SetDecSeparator(',');
  ct.SetRaiseConvertError(true);
  EXPECT_EQ(ct.Format().Pattern(), "%8.3f");
  EXPECT_EQ(ct.Format().ToText(0.1L), "   0,100");
  EXPECT_EQ(ct.FormatType(), TFloatFormat::Fixed);
  EXPECT_EQ(ct.Pressigion(), 3);
  EXPECT_EQ(ct.Width(), 8);
  EXPECT_EQ(ct.DecSeparator(), ',');
  EXPECT_FALSE(ct.DefaultDec());
  EXPECT_TRUE(ct.RaiseConvertError());
}

TEST(NumStrCt, FollowerSharesTheSourceFormat) {
  TNumStrCt source, follower;
  follower.SetFormatControl(&source);
  EXPECT_FALSE(follower.OwnsFormat());
  EXPECT_EQ(&follower.Format(), &source.Format());
  source.SetPressigion(4);
  EXPECT_EQ(follower.Pressigion(), 4);
  follower.SetWidth(10);  // a change through the follower acts on the shared object
  EXPECT_EQ(source.Width(), 10);
}

TEST(NumStrCt, ChainsAreFollowedToTheirSource) {
  TNumStrCt a, b, c;
  b.SetFormatControl(&a);
  c.SetFormatControl(&b);
  EXPECT_EQ(&c.Format(), &a.Format());
  EXPECT_EQ(c.FormatControl(), &b);
  // when b starts following another source, c follows along
  TNumStrCt other;
  other.SetPressigion(7);
  b.SetFormatControl(&other);
  EXPECT_EQ(&c.Format(), &other.Format());
  EXPECT_EQ(c.Pressigion(), 7);
}

TEST(NumStrCt, ClearingTheLinkGivesPrivateCopy) {
  TNumStrCt source, follower;
  source.SetPressigion(5);
  follower.SetFormatControl(&source);
  follower.SetFormatControl(nullptr);
  EXPECT_TRUE(follower.OwnsFormat());
  EXPECT_NE(&follower.Format(), &source.Format());
  EXPECT_EQ(follower.Pressigion(), 5);
  source.SetPressigion(6);
  EXPECT_EQ(follower.Pressigion(), 5);
}

TEST(NumStrCt, DestroyedSourceLeavesFollowersWithCopies) {
  TNumStrCt b, c;
  {
    TNumStrCt a;
    a.SetPressigion(9);
    a.SetDecSeparator('p');
    b.SetFormatControl(&a);
    c.SetFormatControl(&b);
  }
  EXPECT_EQ(b.FormatControl(), nullptr);
  EXPECT_TRUE(b.OwnsFormat());
  EXPECT_EQ(b.Pressigion(), 9);
  EXPECT_EQ(b.Format().ToText(2.5L), "2p5");
  // c still follows b and now uses b's copy
  EXPECT_EQ(c.FormatControl(), &b);
  EXPECT_EQ(&c.Format(), &b.Format());
  b.SetPressigion(2);
  EXPECT_EQ(c.Pressigion(), 2);
}

TEST(NumStrCt, DestroyedFollowerUnregisters) {
  TNumStrCt source;
  {
    TNumStrCt follower;
    follower.SetFormatControl(&source);
  }
  // the source must not reach the destroyed follower when it changes or dies
  TNumStrCt other;
  EXPECT_NO_THROW(source.SetFormatControl(&other));
  EXPECT_NO_THROW(source.SetFormatControl(nullptr));
}

TEST(NumStrCt, CircularLinksAreRefused) {
  TNumStrCt a, b, c;
  b.SetFormatControl(&a);
  c.SetFormatControl(&b);
  EXPECT_THROW(a.SetFormatControl(&c), std::invalid_argument);
  EXPECT_THROW(a.SetFormatControl(&a), std::invalid_argument);
  EXPECT_TRUE(a.OwnsFormat());
}

TEST(NumStrCt, AssignCopiesOrShares) {
  TNumStrCt source, copy, follower, target;
  source.SetPressigion(4);
  source.SetFormatType(TFloatFormat::Exponent);
  copy.Assign(source);  // the source owns its format: settings are copied
  EXPECT_TRUE(copy.OwnsFormat());
  EXPECT_EQ(copy.Format().Pattern(), "%.4e");
  source.SetPressigion(5);
  EXPECT_EQ(copy.Pressigion(), 4);

  follower.SetFormatControl(&source);
  target.Assign(follower);  // the follower's link is taken over
  EXPECT_EQ(target.FormatControl(), &source);
  EXPECT_EQ(&target.Format(), &source.Format());

  TNumStringFormat plain;
  source.AssignTo(plain);
  EXPECT_EQ(plain.Pattern(), "%.5e");
  plain.SetWidth(3);
  copy.Assign(plain);
  EXPECT_EQ(copy.Format().Pattern(), "%3.5e");

  // a follower assigned from its own source stays as it is
  follower.Assign(source);
  EXPECT_EQ(follower.FormatControl(), &source);
  source.Assign(follower);
  EXPECT_TRUE(source.OwnsFormat());
}

TEST(NumStrCt, EditFollowsComponentAndShowsItsFormat) {
  auto ct = std::make_unique<TNumStrCt>();
  ct->SetPressigion(3);
  TRealEdit edit;
  edit.SetValue(1.0L / 3);
  EXPECT_EQ(edit.Text(), "0.333333333333333");
  edit.SetFormatControl(ct.get());
  EXPECT_EQ(edit.Text(), "0.333");
  EXPECT_EQ(&edit.StringFormat(), &ct->Format());
  ct.reset();
  EXPECT_EQ(edit.FormatControl(), nullptr);
  EXPECT_EQ(edit.StringFormat().Pressigion(), 3);
  EXPECT_EQ(edit.Value(), 1.0L / 3);
}

}  // namespace
}  // namespace tessmar
