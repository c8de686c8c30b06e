// Text strings, typed values, parameter sets and data tables: the tokeniser,
// the text forms that scripts and saves depend on, and the table orders.
#include <gtest/gtest.h>

#include <sstream>

#include "core/DataTable.h"
#include "core/Joker.h"
#include "core/Name.h"
#include "core/NewestFirstMap.h"
#include "core/Param.h"

namespace {

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  Sstring w;
  while (!in.eof()) {
    in >> w;
    words.push_back(w.str());
  }
  return words;
}

TEST(Sstring, ReadsWordsAndQuotedPhrases) {
  EXPECT_EQ(Words("  one   two"), (std::vector<std::string>{"one", "two"}));
  EXPECT_EQ(Words("\"a b\" c"), (std::vector<std::string>{"a b", "c"}));
  EXPECT_EQ(Words("x\n\n\ny"), (std::vector<std::string>{"x", "y"}));
  EXPECT_EQ(Words("\"unterminated phrase"), (std::vector<std::string>{"unterminated phrase"}));
  EXPECT_EQ(Words("cr\r end"), (std::vector<std::string>{"cr\r", "end"}));  // CR is no delimiter
  // The stream is left at the next word; an exhausted stream gives "" and eof.
  std::istringstream in("first second");
  Sstring w;
  in >> w;
  EXPECT_EQ(in.peek(), 's');
  in >> w >> w;
  EXPECT_TRUE(w.empty());
  EXPECT_TRUE(in.eof());
}

TEST(Sstring, WritesQuotedAndComparesByteWise) {
  auto out = [](const Sstring& s) {
    std::ostringstream o;
    o << s;
    return o.str();
  };
  EXPECT_EQ(out("a b"), "\"a b\"");
  EXPECT_EQ(out(""), "\"\"");
  EXPECT_EQ(out("\"q\""), "\"q\"");
  EXPECT_TRUE(Sstring("B") < Sstring("a b"));
  EXPECT_TRUE(Sstring("a b") < Sstring("b"));
  EXPECT_TRUE(Sstring("ab") < "abc" && "ab" < Sstring("abc"));
  EXPECT_TRUE(Sstring("\xe9") > Sstring("z"));  // unsigned bytes
  EXPECT_EQ(Sstring().length(), 0);
}

TEST(Joker, ConvertsOnlyWhereAllowed) {
  Joker d(-2.7);
  int i = 0;
  EXPECT_EQ(d.Get(i), 1);
  EXPECT_EQ(i, -2);
  Joker c(Complex(3, 4));
  EXPECT_EQ(c.Get(i), 1);
  EXPECT_EQ(i, 5);
  Complex z;
  EXPECT_EQ(Joker(7L).Get(z), 1);
  EXPECT_EQ(z, Complex(7, 0));
  float f = 1.5f;
  EXPECT_EQ(d.Get(f), 0);
  EXPECT_EQ(f, 1.5f);
  Sstring s = "kept";
  EXPECT_EQ(Joker(3).Get(s), 0);
  EXPECT_EQ(s, "kept");
  short sh = 0;
  EXPECT_EQ(Joker(3).Get(sh), 0);  // "short int" targets take only their own type
  int m0[3] = {1, 2, 3}, m1[3] = {4, 5, 6};
  int* rows[2] = {m0, m1};
  Joker matrix(rows, 2, 3);
  EXPECT_EQ(matrix.Get(i), 1);
  EXPECT_EQ(i, 1);
  EXPECT_EQ(Joker::GetTypes().str().substr(0, 4), "int;");
}

TEST(Joker, RecordFormRoundTripsForEveryType) {
  const char* records[] = {
      "\"int\" 2 1\n-1 \n7 ",
      "\"double\" 1 2\n0.5 1e-07 ",
      "\"complex\" 1 1\n(1.5, -2) ",
      "\"long\" 1 1\n2147483647 ",
      "\"string\" 2 1\n\"a b\" \n\"\" ",
      "\"unsigned char\" 1 2\nx y ",
      "\"short int\" 1 1\n-32768 ",
      "\"unsigned int\" 1 1\n4294967295 ",
      "\"float\" 1 1\n3.5 ",
  };
  for (const char* r : records) {
    std::istringstream in(r);
    Joker j;
    ASSERT_TRUE(j.Read(in)) << r;
    std::ostringstream out;
    out << j;
    EXPECT_EQ(out.str(), r);
  }
  // Unknown types, bad sizes and bad elements read as failures, not values.
  for (const char* bad : {"nosuch 1 1 3", "int -1 1", "int 1 1 x", "short int 1 1 3",
                          "\"short int\" 1 1 40000", "int 1000000 1000000 1",
                          "int 1000001 0", "int 9223372036854775807 0", "int 1001 1000 1"}) {
    std::istringstream in(bad);
    Joker j;
    EXPECT_FALSE(j.Read(in)) << bad;
    EXPECT_TRUE(j.IsEmpty());
  }
  // The size is bounded as lines x max(columns, 1), whatever the columns.
  std::istringstream most("int 1000000 0");
  Joker j;
  ASSERT_TRUE(j.Read(most));
  EXPECT_EQ(j.Rows(), 1000000);
  j.Put("int", 1000001, 0, "1");
  EXPECT_EQ(j.Rows(), 1000000);
}

TEST(Joker, ResizeAndFillAndTextAccess) {
  int c0[2] = {1, 2}, c1[2] = {3, 4};
  int* rows[2] = {c0, c1};
  Joker j(rows, 2, 2);
  j.Put("int", 3, 1, "9 8");
  EXPECT_EQ(j.Get(0, 0), "1");
  EXPECT_EQ(j.Get(1, 0), "3");
  EXPECT_EQ(j.Get(2, 0), "9");
  j.Put("double", 3, 1, "9");
  EXPECT_EQ(j.Get(0, 0), "9");
  EXPECT_EQ(j.Put(3, 0, "1"), 0);
  EXPECT_EQ(j.Get(3, 0), "");
  std::ostringstream plain;
  Joker v;
  double four[4] = {1, 2, 3, 4};
  v.Put(four, 4);
  v.GetASCII(plain);
  EXPECT_EQ(plain.str(), "1 2 3 4 ");
}

TEST(Param, ListsInByteOrderAndKeepsTexts) {
  Param p;
  p.SetParamBlockName("L");
  p.PutParam("b", 1, "lower", "SHOW");
  p.PutParam("B", 2, "upper", "SHOW");
  p.PutParam("a b", 3, "two words", "SHOW");
  std::vector<Sstring> names;
  p.GetAllParamName(names);
  EXPECT_EQ(names, (std::vector<Sstring>{"B", "a b", "b"}));
  p.PutParam("b", 5);  // the old description and option stay
  p.PutParam("B", 6, "new", "");
  std::ostringstream one;
  p.GetParam("b", one);
  EXPECT_EQ(one.str(), "\"b\" \"int\" 1 1\n5 \n\"lower\"\n\"SHOW\"\n\n");
  EXPECT_EQ(p.GetParameter("B")->description, "new");
  EXPECT_EQ(p.GetParameter("B")->option, "SHOW");
  long lines = 9, cols = 9;
  EXPECT_EQ(p.GetSizeParam("none", lines, cols), 0);
  EXPECT_EQ(lines, 9);
  EXPECT_EQ(p.GetTypeParam("none"), "");
  // A record replaces the parameter whole; a missing description or option
  // leaves them empty, a record that cannot be read stores nothing.
  std::istringstream rec("\"b\" double 1 1 0.25");
  EXPECT_EQ(p.LoadParamIs(rec), 1);
  EXPECT_EQ(p.GetParameter("b")->description, "");
  std::istringstream bad("\"c\" int 1 1 oops d o");
  EXPECT_EQ(p.LoadParamIs(bad), 0);
  EXPECT_FALSE(p.GetParameter("c"));
  Sstring vb;
  p.PutParam("h", 1, "hidden", "HIDE");
  p.GetParam_VB(vb);
  EXPECT_EQ(vb, "B;a b;b;");
  EXPECT_EQ(p.PutParam_VB("none", "int", 1, 1, "1"), 0);
}

TEST(DataTable, ListsNewestFirstAndSearchesInThatOrder) {
  DataTable t;
  t.PutData("1", "x", 1);
  t.PutData("2", "x", 2);
  t.PutData("3", "x", 1);
  t.PutData("1", "y", Sstring("again"));  // key 1 keeps its place
  std::ostringstream listing;
  t.ShowTable(listing);
  EXPECT_EQ(listing.str(), "\"3\" \"x\" 1\n\"2\" \"x\" 2\n\"1\" \"y\" \"again\"\n\"1\" \"x\" 1\n\n");
  Sstring key;
  EXPECT_EQ(t.FindKey("x", 1, key), 1);
  EXPECT_EQ(key, "3");
  std::vector<Sstring> keys{"untouched"};
  EXPECT_EQ(t.FindKeys("x", 9, keys), 0);
  EXPECT_EQ(keys.size(), 1u);
  EXPECT_EQ(t.FindKeys("x", 1, keys), 1);
  EXPECT_EQ(keys, (std::vector<Sstring>{"3", "1"}));
  // Reads make a key present; searches and the key test do not.
  int v;
  EXPECT_EQ(t.HasKey("new"), 0);
  EXPECT_EQ(t.PeekData("new", "x", v), 0);
  EXPECT_EQ(t.HasKey("new"), 0);
  EXPECT_EQ(t.GetData("new", "x", v), 0);
  EXPECT_EQ(t.HasKey("new"), 1);
  EXPECT_EQ(t.DelKey("1"), 1);
  EXPECT_EQ(t.HasData("1", "x"), 0);
  EXPECT_EQ(t.HasKey("1"), 1);
}

// Looking a name up never adds it to the interned names; the empty name,
// interned from the start, finds only what was put.
TEST(DataRow, LookupsInternNoNames) {
  DataTable t;
  t.PutData("k", "x", 1);
  const uint32_t interned = Name::Count();
  int v;
  Sstring key;
  std::vector<Sstring> keys;
  EXPECT_EQ(t.PeekData("k", "a name nobody interned", v), 0);
  EXPECT_EQ(t.FindKey("a name nobody interned", 1, key), 0);
  EXPECT_EQ(t.GetKeys("a name nobody interned", keys), 0);
  EXPECT_EQ(t.DelData("k", "a name nobody interned"), 0);
  EXPECT_EQ(Name::Count(), interned);
  EXPECT_EQ(t.PeekData("k", "", v), 0);
  t.PutData("k", "", 5);
  EXPECT_EQ(t.PeekData("k", "", v), 1);
  EXPECT_EQ(v, 5);
}

TEST(NewestFirstMap, ErasingKeepsTheOrderOfTheRest) {
  NewestFirstMap<int, int> m;
  for (int i = 0; i < 5; ++i) m.Put(i, i * 10);
  m.Erase(2);
  m.Put(1, 11);
  EXPECT_EQ(m.Keys(), (std::vector<int>{4, 3, 1, 0}));
  EXPECT_EQ(*m.Find(1), 11);
  EXPECT_EQ(m.Find(2), nullptr);
  // Past the index threshold and back below it.
  for (int i = 10; i < 30; ++i) m.Put(i, i);
  for (int i = 10; i < 28; ++i) EXPECT_TRUE(m.Erase(i));
  EXPECT_EQ(m.Keys(), (std::vector<int>{29, 28, 4, 3, 1, 0}));
  EXPECT_EQ(m.Position(28), 4);
  EXPECT_EQ(*m.Find(29), 29);
}

}  // namespace

