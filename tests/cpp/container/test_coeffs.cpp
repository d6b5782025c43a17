// Coefficient scalars and vectors: printed forms and their round trip, the
// parse grammars, exact conversions with their error texts. The vector
// operations against a plain model are checked from Python.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "core/container/coeffs/coeffs.hpp"

using namespace vemo;

namespace {

const double inf = std::numeric_limits<double>::infinity();
const double nan_v = std::numeric_limits<double>::quiet_NaN();

bool same_bits(double a, double b) { return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b); }

Unrepresentable unrep(std::string v, std::string s, std::string t) { return {std::move(v), std::move(s), std::move(t)}; }

}  // namespace

TEST(CoeffText, PrintingAndReadingBack) {
    EXPECT_EQ(text::fmt_real(-0.0), "-0");
    EXPECT_EQ(text::fmt_real(-nan_v), "NaN");
    EXPECT_EQ(text::fmt_real(5e-324), "0." + std::string(323, '0') + "5");
    // Large values print their shortest digits padded with zeros, not their exact digits.
    EXPECT_EQ(text::fmt_real(0x1p70), "1180591620717411300000");
    EXPECT_EQ(text::fmt_complex({1, -0.0}), "1+-0i");
    EXPECT_EQ(text::fmt_complex({nan_v, -inf}), "NaN-infi");
    // Every finite value reads back from its text.
    std::mt19937_64 rng(12345);
    for (int k = 0; k < 20000; ++k) {
        const double x = std::bit_cast<double>(rng());
        if (!std::isfinite(x)) continue;
        const auto back = text::parse_real(text::fmt_real(x));
        ASSERT_TRUE(back && same_bits(*back, x)) << text::fmt_real(x);
    }
}

TEST(CoeffParse, Grammars) {
    const std::pair<const char*, double> reals[] = {{"1.", 1},         {".5", 0.5},    {"-Infinity", -inf},
                                                    {"2.5e-324", 5e-324}, {"1e-99999999999999999999", 0.0},
                                                    {"0.001e99999999999999", inf}};
    for (const auto& [s, v] : reals) EXPECT_TRUE(same_bits(text::parse_real(s).value_or(7), v)) << s;
    EXPECT_TRUE(std::isnan(*text::parse_real("-NaN")));
    for (const char* s : {" 2", "1e+", ".", "nan(1)", "0x10", "+-1", "1_0", "infinit"})
        EXPECT_FALSE(text::parse_real(s).has_value()) << '"' << s << '"';
    EXPECT_EQ(*parse_num<double>("\t 2 \u3000"), 2.0);  // Unicode blanks trimmed
    const std::pair<const char*, Complex> complexes[] = {{"i", {0, 1}}, {"3i - 1", {-1, 3}}, {"1+-2i", {1, -2}}};
    for (const auto& [s, v] : complexes) EXPECT_EQ(text::parse_complex(s), v) << s;
    EXPECT_FALSE(std::signbit(text::parse_complex("1-0i")->imag()));  // negated as 0 - 0
    for (const char* s : {"1--2i", "1+2", "2i+3i", "1 + 2 i", "ii", "1+2j+i"})
        EXPECT_FALSE(text::parse_complex(s).has_value()) << '"' << s << '"';
    EXPECT_EQ(parse_num<Sign>("-001"), Sign(true));
    for (const char* s : {"0", "+", "i"}) EXPECT_EQ(parse_num<Sign>(s).error(), unrep(s, "&str", "Sign")) << s;
    const std::pair<const char*, int> cs[] = {{"1.0", 0}, {" -i ", 3}, {"1j", 1}, {"-1-0i", 2}};
    for (const auto& [s, p] : cs) EXPECT_EQ(parse_num<ComplexSign>(s)->power, p) << s;
    EXPECT_EQ(parse_num<ComplexSign>("0.5j").error(), unrep("0.5j", "&str", "ComplexSign"));
}

TEST(CoeffConvert, ExactValuesAndRefusalTexts) {
    EXPECT_EQ(*try_represent_any<double>(uint64_t{(uint64_t{1} << 53) + 1}), 9007199254740992.0);
    const auto c3 = *try_represent_any<Complex>(ComplexSign(3));
    EXPECT_TRUE(same_bits(c3.real(), -0.0) && same_bits(c3.imag(), -1.0));
    EXPECT_EQ(try_represent_any<ComplexSign>(ComplexSign(9))->power, 9);  // held as given
    EXPECT_TRUE(try_represent_any<Unity>(ComplexSign(8)));
    // Every accepted conversion keeps the exact value; Sign and Unity take exactly theirs.
    for (double re : {-1.0, -0.0, 0.0, 0.5, 1.0})
        for (double im : {-1.0, -0.0, 0.0, 1.0}) {
            const Complex z(re, im);
            if (auto r = try_represent_any<double>(z)) {
                EXPECT_EQ(Complex(*r, 0), z);
            }
            if (auto c = try_represent_any<ComplexSign>(z)) {
                EXPECT_EQ(c->to_complex(), z);
            }
            const bool is_sign = im == 0 && (re == 1 || re == -1);
            EXPECT_EQ(try_represent_any<Sign>(z).has_value(), is_sign);
            EXPECT_EQ(try_represent_any<Unity>(z).has_value(), is_sign && re == 1);
        }
    EXPECT_EQ(try_represent_any<double>(Complex(2, 1e-300)).error(),
              unrep("2+0." + std::string(299, '0') + "1i", "Complex<f64>", "f64"));
    EXPECT_EQ(try_represent_any<Sign>(uint64_t{0}).error(), unrep("0", "usize", "Sign"));
    EXPECT_EQ(try_represent_any<Sign>(nan_v).error(), unrep("NaN", "f64", "Sign"));
    EXPECT_EQ(try_represent_any<Unity>(Sign(true)).error(), unrep("-1", "Sign", "Unity"));
    EXPECT_EQ(num_conj(ComplexSign(1)).power, 3);
    EXPECT_TRUE(is_close({1, 1}, {1, 1.04}, 0, 0.05));
    EXPECT_FALSE(is_close({1, 1}, {1, 1.06}, 0, 0.05));
    EXPECT_TRUE(is_close({100, 0}, {101, 0}, 0.01, 0));
    EXPECT_FALSE(is_close({nan_v, 0}, {nan_v, 0}, 1, 1));
}

// Printed lists, new entries (0.0, +1), impossible sizes, conversions between
// vector kinds. The list and term forms are checked from Python.
TEST(CoeffVecs, PrintNewAndConvert) {
    EXPECT_EQ(fmt_vec(*try_parse<ComplexVec>("1+2i, -i")), "[1+2i, 0-1i]");
    EXPECT_EQ(fmt_vec(UnityVec(2)), "[1, 1]");
    EXPECT_EQ(RealVec::new_with_len(3).get(2), 0.0);
    EXPECT_EQ(ComplexVec::new_units_with_len(2).get(1), Complex(1, 0));
    EXPECT_THROW(RealVec::new_with_len(uint64_t{1} << 62), std::bad_alloc);
    EXPECT_THROW(ComplexVec::new_with_len(UINT64_MAX), std::bad_alloc);
    EXPECT_THROW(RealVec::new_with_len(2).get(2), InternalError);
    SignVec s;
    for (bool b : {false, true}) s.push(Sign(b));
    ComplexSignVec c = *try_represent<ComplexSignVec>(s);
    EXPECT_EQ(*try_represent<SignVec>(c), s);
    EXPECT_EQ(fmt_vec(*try_represent<ComplexVec>(c)), "[1+0i, -1+-0i]");
    c.push(ComplexSign(1));
    EXPECT_EQ(try_represent<SignVec>(c).error(), unrep("+i", "ComplexSign", "Sign"));
}
