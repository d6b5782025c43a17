// Coefficient scalars and vectors: printed forms, the parse grammars, exact
// conversions with their error texts, and the vector operations.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
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

std::string unrep(const std::string& v, const std::string& s, const std::string& t) {
    return "Value " + v + " of type \"" + s + "\" is not representable as type \"" + t + "\"";
}

template <class T, class S>
std::string refusal(const S& v) {
    auto r = try_represent_any<T>(v);
    EXPECT_FALSE(r.has_value());
    return r ? std::string("<accepted>") : r.error().message();
}

}  // namespace

// ---------------------------------------------------------------- printing

TEST(CoeffText, RealShortestWithoutExponent) {
    EXPECT_EQ(text::fmt_real(1.0), "1");
    EXPECT_EQ(text::fmt_real(0.5), "0.5");
    EXPECT_EQ(text::fmt_real(0.1), "0.1");
    EXPECT_EQ(text::fmt_real(1e-7), "0.0000001");
    EXPECT_EQ(text::fmt_real(1e21), "1" + std::string(21, '0'));
    EXPECT_EQ(text::fmt_real(-2.25), "-2.25");
    EXPECT_EQ(text::fmt_real(-0.0), "-0");
    EXPECT_EQ(text::fmt_real(0.0), "0");
    EXPECT_EQ(text::fmt_real(nan_v), "NaN");
    EXPECT_EQ(text::fmt_real(-nan_v), "NaN");
    EXPECT_EQ(text::fmt_real(inf), "inf");
    EXPECT_EQ(text::fmt_real(-inf), "-inf");
    // The smallest subnormal: 323 zeros after the point, then its one digit.
    EXPECT_EQ(text::fmt_real(5e-324), "0." + std::string(323, '0') + "5");
}

TEST(CoeffText, ComplexForm) {
    EXPECT_EQ(text::fmt_complex({1, 2}), "1+2i");
    EXPECT_EQ(text::fmt_complex({0.5, -1}), "0.5-1i");
    EXPECT_EQ(text::fmt_complex({0, 1}), "0+1i");
    EXPECT_EQ(text::fmt_complex({1, -0.0}), "1+-0i");
    EXPECT_EQ(text::fmt_complex({-0.0, -inf}), "-0-infi");
    EXPECT_EQ(text::fmt_complex({nan_v, nan_v}), "NaN+NaNi");
}

TEST(CoeffText, RealRoundTripsThroughItsText) {
    std::mt19937_64 rng(12345);
    for (int k = 0; k < 20000; ++k) {
        const double x = std::bit_cast<double>(rng());
        if (std::isnan(x)) continue;
        const auto back = text::parse_real(text::fmt_real(x));
        ASSERT_TRUE(back.has_value()) << text::fmt_real(x);
        ASSERT_TRUE(same_bits(*back, x)) << text::fmt_real(x);
    }
}

// ---------------------------------------------------------------- parsing

TEST(CoeffParse, RealGrammarAccepts) {
    struct Case {
        const char* s;
        double v;
    };
    const Case cases[] = {{"1", 1},       {"+1.5", 1.5},     {"-2", -2},       {"1.", 1},         {".5", 0.5},
                          {"1.e2", 100},  {"1E+3", 1000},    {"2.5e-1", 0.25}, {"007", 7},        {"-0", -0.0},
                          {"1e400", inf}, {"-1e400", -inf},  {"inf", inf},     {"-Infinity", -inf}, {"+INF", inf},
                          {"0e99999999999999999999", 0}};
    for (const auto& c : cases) {
        const auto r = text::parse_real(c.s);
        ASSERT_TRUE(r.has_value()) << c.s;
        EXPECT_TRUE(same_bits(*r, c.v)) << c.s;
    }
    // Underflow rounds to a zero that keeps its sign.
    const auto tiny = text::parse_real("-1e-400");
    ASSERT_TRUE(tiny.has_value());
    EXPECT_TRUE(same_bits(*tiny, -0.0));
    EXPECT_TRUE(same_bits(*text::parse_real("1e-99999999999999999999"), 0.0));
    EXPECT_TRUE(same_bits(*text::parse_real("0.000000000000000000001e99999999999999"), inf));
    EXPECT_TRUE(std::isnan(*text::parse_real("nan")));
    EXPECT_TRUE(std::isnan(*text::parse_real("-NaN")));
}

TEST(CoeffParse, RealGrammarRefuses) {
    for (const char* s : {"", " 2", "2 ", "1e", "1e+", "e5", ".", "+", "-", "nan(1)", "0x10", "+-1", "--1", "1_0",
                          "1,0", "1.5.2", "in", "infinit", "infinityy", "1 0", "1e5.0", "١"})
        EXPECT_FALSE(text::parse_real(s).has_value()) << '"' << s << '"';
}

TEST(CoeffParse, ParseNumTrimsAndReportsTheTextAsGiven) {
    EXPECT_EQ(*parse_num<double>(" 2 "), 2.0);
    EXPECT_EQ(*parse_num<double>("\t+1.5\u3000"), 1.5);
    const auto r = parse_num<double>(" x");
    ASSERT_FALSE(r.has_value());
    EXPECT_EQ(r.error(), (Unrepresentable{" x", "&str", "f64"}));
    EXPECT_EQ(r.error().message(), unrep(" x", "&str", "f64"));
    EXPECT_EQ(parse_num<Complex>("1+").error().message(), unrep("1+", "&str", "Complex<f64>"));
}

TEST(CoeffParse, ComplexAccepts) {
    struct Case {
        const char* s;
        Complex v;
    };
    const Case cases[] = {{"1", {1, 0}},         {"-2.5", {-2.5, 0}},   {"i", {0, 1}},          {"-i", {0, -1}},
                          {"+i", {0, 1}},        {"2j", {0, 2}},        {"1+2i", {1, 2}},       {"1 - 2i", {1, -2}},
                          {"1e-3+4e2i", {1e-3, 400}}, {"1E+2-i", {100, -1}}, {"3i+1", {1, 3}}, {"3i - 1", {-1, 3}},
                          {"1+-2i", {1, -2}},    {"-1.5e1j", {0, -15}}, {"inf-infi", {inf, -inf}}};
    for (const auto& c : cases) {
        const auto r = text::parse_complex(c.s);
        ASSERT_TRUE(r.has_value()) << c.s;
        EXPECT_EQ(*r, c.v) << c.s;
    }
    // A negated zero imaginary part is 0 - 0 = +0.
    EXPECT_FALSE(std::signbit(text::parse_complex("1-0i")->imag()));
    EXPECT_EQ(*parse_num<Complex>("  1 + 2i "), Complex(1, 2));
}

TEST(CoeffParse, ComplexRefuses) {
    for (const char* s : {"", "1+", "1 - ", "1--2i", "--1", "1+2", "2i+3i", "1+2i+3i", "x", "1 + 2 i", "ii",
                          "1+2k", "0x1+i", "1+2j+i"})
        EXPECT_FALSE(text::parse_complex(s).has_value()) << '"' << s << '"';
}

TEST(CoeffParse, SignAndComplexSign) {
    EXPECT_EQ(*parse_num<Sign>("+1"), Sign(false));
    EXPECT_EQ(*parse_num<Sign>("01"), Sign(false));
    EXPECT_EQ(*parse_num<Sign>(" -1 "), Sign(true));
    EXPECT_EQ(*parse_num<Sign>("-001"), Sign(true));
    for (const char* s : {"1.0", "2", "0", "-128", "200", "+", "", "1e0", "+-1", "i"})
        EXPECT_EQ(parse_num<Sign>(s).error(), (Unrepresentable{s, "&str", "Sign"})) << s;

    EXPECT_EQ(parse_num<ComplexSign>("1.0")->power, 0);
    EXPECT_EQ(parse_num<ComplexSign>("  -i ")->power, 3);
    EXPECT_EQ(parse_num<ComplexSign>("0+1i")->power, 1);
    EXPECT_EQ(parse_num<ComplexSign>("1j")->power, 1);
    EXPECT_EQ(parse_num<ComplexSign>("-1-0i")->power, 2);
    for (const char* s : {"2", "1+1i", "0", "i+", "0.5j"})
        EXPECT_EQ(parse_num<ComplexSign>(s).error(), (Unrepresentable{s, "&str", "ComplexSign"})) << s;
}

// ---------------------------------------------------------------- exact conversions

TEST(CoeffConvert, ToReal) {
    EXPECT_EQ(*try_represent_any<double>(Unity{}), 1.0);
    EXPECT_EQ(*try_represent_any<double>(Sign(true)), -1.0);
    EXPECT_EQ(*try_represent_any<double>(ComplexSign(4)), 1.0);
    EXPECT_EQ(*try_represent_any<double>(ComplexSign(2)), -1.0);
    EXPECT_EQ(*try_represent_any<double>(uint64_t{(uint64_t{1} << 53) + 1}), 9007199254740992.0);
    EXPECT_EQ(*try_represent_any<double>(Complex(2, 0)), 2.0);
    EXPECT_EQ(*try_represent_any<double>(Complex(2, -0.0)), 2.0);
    EXPECT_TRUE(std::isnan(*try_represent_any<double>(nan_v)));
    EXPECT_EQ(refusal<double>(Complex(2, 1e-300)), unrep("2+0." + std::string(299, '0') + "1i", "Complex<f64>", "f64"));
    EXPECT_EQ(refusal<double>(ComplexSign(1)), unrep("+i", "ComplexSign", "f64"));
    EXPECT_EQ(refusal<double>(ComplexSign(7)), unrep("-i", "ComplexSign", "f64"));
}

TEST(CoeffConvert, ToComplexKeepsSignedZeros) {
    const auto c2 = *try_represent_any<Complex>(ComplexSign(2));
    EXPECT_TRUE(same_bits(c2.real(), -1.0) && same_bits(c2.imag(), -0.0));
    const auto c3 = *try_represent_any<Complex>(ComplexSign(3));
    EXPECT_TRUE(same_bits(c3.real(), -0.0) && same_bits(c3.imag(), -1.0));
    EXPECT_EQ(*try_represent_any<Complex>(ComplexSign(1)), Complex(0, 1));
    EXPECT_EQ(*try_represent_any<Complex>(Unity{}), Complex(1, 0));
    EXPECT_EQ(*try_represent_any<Complex>(Sign(true)), Complex(-1, 0));
    EXPECT_EQ(*try_represent_any<Complex>(uint64_t{7}), Complex(7, 0));
    EXPECT_EQ(*try_represent_any<Complex>(2.5), Complex(2.5, 0));
}

TEST(CoeffConvert, ToSign) {
    EXPECT_EQ(*try_represent_any<Sign>(Unity{}), Sign(false));
    EXPECT_EQ(*try_represent_any<Sign>(uint64_t{1}), Sign(false));
    EXPECT_EQ(*try_represent_any<Sign>(-1.0), Sign(true));
    EXPECT_EQ(*try_represent_any<Sign>(ComplexSign(6)), Sign(true));
    EXPECT_EQ(*try_represent_any<Sign>(Complex(-1, -0.0)), Sign(true));
    EXPECT_EQ(refusal<Sign>(uint64_t{0}), unrep("0", "usize", "Sign"));
    EXPECT_EQ(refusal<Sign>(nan_v), unrep("NaN", "f64", "Sign"));
    EXPECT_EQ(refusal<Sign>(ComplexSign(5)), unrep("+i", "ComplexSign", "Sign"));
    EXPECT_EQ(refusal<Sign>(ComplexSign(1)), unrep("+i", "ComplexSign", "Sign"));
    EXPECT_EQ(refusal<Sign>(Complex(1, 1)), unrep("1+1i", "Complex<f64>", "Sign"));
    EXPECT_EQ(refusal<Sign>(2.0), unrep("2", "f64", "Sign"));
}

TEST(CoeffConvert, ToComplexSign) {
    EXPECT_EQ(try_represent_any<ComplexSign>(Complex(0, -1))->power, 3);
    EXPECT_EQ(try_represent_any<ComplexSign>(Complex(-0.0, 1))->power, 1);
    EXPECT_EQ(try_represent_any<ComplexSign>(Complex(-1, 0))->power, 2);
    EXPECT_EQ(try_represent_any<ComplexSign>(Sign(true))->power, 2);
    EXPECT_EQ(try_represent_any<ComplexSign>(-1.0)->power, 2);
    EXPECT_EQ(try_represent_any<ComplexSign>(uint64_t{1})->power, 0);
    EXPECT_EQ(try_represent_any<ComplexSign>(Unity{})->power, 0);
    EXPECT_EQ(try_represent_any<ComplexSign>(ComplexSign(9))->power, 9);  // held as given
    EXPECT_EQ(refusal<ComplexSign>(uint64_t{2}), unrep("2", "usize", "ComplexSign"));
    EXPECT_EQ(refusal<ComplexSign>(Complex(0.5, 0.5)), unrep("0.5+0.5i", "Complex<f64>", "ComplexSign"));
}

TEST(CoeffConvert, ToUnity) {
    EXPECT_TRUE(try_represent_any<Unity>(Sign(false)).has_value());
    EXPECT_TRUE(try_represent_any<Unity>(ComplexSign(8)).has_value());
    EXPECT_TRUE(try_represent_any<Unity>(uint64_t{1}).has_value());
    EXPECT_TRUE(try_represent_any<Unity>(1.0).has_value());
    EXPECT_TRUE(try_represent_any<Unity>(Complex(1, -0.0)).has_value());
    EXPECT_EQ(refusal<Unity>(Sign(true)), unrep("-1", "Sign", "Unity"));
    EXPECT_EQ(refusal<Unity>(ComplexSign(2)), unrep("-1", "ComplexSign", "Unity"));
    EXPECT_EQ(refusal<Unity>(uint64_t{0}), unrep("0", "usize", "Unity"));
    EXPECT_EQ(refusal<Unity>(Complex(1, 1)), unrep("1+1i", "Complex<f64>", "Unity"));
}

// Every accepted conversion agrees with the exact complex value of its source.
TEST(CoeffConvert, AcceptedConversionsPreserveTheValue) {
    std::vector<Complex> values;
    for (double re : {-1.0, -0.0, 0.0, 0.5, 1.0, 2.0})
        for (double im : {-1.0, -0.0, 0.0, 1.0}) values.emplace_back(re, im);
    for (Complex z : values) {
        if (auto r = try_represent_any<double>(z)) {
            EXPECT_EQ(Complex(*r, 0), z);
        }
        if (auto s = try_represent_any<Sign>(z)) {
            EXPECT_EQ(Complex(s->to_real(), 0), z);
        }
        if (auto c = try_represent_any<ComplexSign>(z)) {
            EXPECT_EQ(c->to_complex(), z);
        }
        const bool is_unit = z == Complex(1, 0);
        EXPECT_EQ(try_represent_any<Unity>(z).has_value(), is_unit);
        const bool is_sign = z.imag() == 0 && (z.real() == 1 || z.real() == -1);
        EXPECT_EQ(try_represent_any<Sign>(z).has_value(), is_sign);
    }
}

// ---------------------------------------------------------------- scalar algebra

TEST(CoeffScalars, ComplexSignPowersAndConjugates) {
    EXPECT_EQ(ComplexSign(1).ipow(2).power, 2);
    EXPECT_EQ(ComplexSign(1).ipow(-1).power, 3);
    EXPECT_EQ(ComplexSign(0).ipow(-1).power, 0);
    EXPECT_EQ(ComplexSign(2).ipow(-3).power, 2);
    EXPECT_EQ(ComplexSign(3).ipow(std::numeric_limits<int32_t>::min()).power, 0);
    EXPECT_EQ(ComplexSign(3).ipow(std::numeric_limits<int32_t>::max()).power, 1);  // (-i)^(4k+3) = +i
    // Against repeated multiplication of the complex values.
    for (int p = 0; p < 8; ++p)
        for (int e = -9; e <= 9; ++e) {
            Complex acc(1, 0);
            const Complex base = ComplexSign(static_cast<uint8_t>(p)).to_complex();
            const Complex step = e >= 0 ? base : std::conj(base);
            for (int k = 0; k < std::abs(e); ++k) acc = scaled_complex(step, acc);
            EXPECT_EQ(ComplexSign(static_cast<uint8_t>(p)).ipow(e).to_complex(), acc) << p << "^" << e;
        }
    EXPECT_EQ(num_conj(ComplexSign(1)).power, 3);
    EXPECT_EQ(num_conj(ComplexSign(2)).power, 2);
    EXPECT_EQ(num_conj(Complex(1, 2)), Complex(1, -2));
    EXPECT_EQ(num_conj(-3.0), -3.0);
    EXPECT_EQ((ComplexSign(255) * ComplexSign(1)).power, 0);
    EXPECT_EQ((ComplexSign(3) * ComplexSign(3)).power, 6);
    EXPECT_EQ(ComplexSign(6), ComplexSign(2));
    EXPECT_EQ(Sign(true) * Sign(true), Sign(false));
}

TEST(CoeffScalars, ComplexProductInWrittenOrder) {
    EXPECT_EQ(scaled_complex({1, 2}, {3, 4}), Complex(-5, 10));
    // (0 + 1i)(inf + 0i): re = 0 inf - 1 0 = NaN, im = 1 inf + 0 0 = inf.
    const Complex r = scaled_complex({0, 1}, {inf, 0});
    EXPECT_TRUE(std::isnan(r.real()));
    EXPECT_EQ(r.imag(), inf);
    EXPECT_EQ(num_mul(Complex(0, 1), Complex(0, 1)), Complex(-1, 0));
    EXPECT_DOUBLE_EQ(magnitude({3, 4}), 5.0);
    EXPECT_TRUE(is_close({1, 1}, {1, 1.04}, 0, 0.05));
    EXPECT_FALSE(is_close({1, 1}, {1, 1.06}, 0, 0.05));
    EXPECT_TRUE(is_close({100, 0}, {101, 0}, 0.01, 0));
    EXPECT_FALSE(is_close({nan_v, 0}, {nan_v, 0}, 1, 1));
    EXPECT_TRUE(is_exact_zero(-0.0));
    EXPECT_FALSE(is_exact_zero(nan_v));
    EXPECT_TRUE(is_exact_zero(Complex(-0.0, 0)));
    EXPECT_FALSE(is_exact_zero(Complex(0, 1e-300)));
}

// ---------------------------------------------------------------- vectors

TEST(CoeffVecs, TryParseListAndTermForms) {
    EXPECT_EQ(try_parse<RealVec>("1, 2 ,3")->data().size(), 3u);
    EXPECT_EQ(*try_parse<RealVec>("1, 2 ,3"), [] {
        RealVec v;
        for (double x : {1.0, 2.0, 3.0}) v.push(x);
        return v;
    }());
    const auto terms = *try_parse<RealVec>("(0.5, X0), (-1, Z1)");
    ASSERT_EQ(terms.size(), 2u);
    EXPECT_EQ(terms.get(0), 0.5);
    EXPECT_EQ(terms.get(1), -1.0);
    const auto nested = *try_parse<RealVec>(" ((2, X0))");
    ASSERT_EQ(nested.size(), 1u);
    EXPECT_EQ(nested.get(0), 2.0);
    EXPECT_EQ(try_parse<RealVec>("1,2,").error(), (Unrepresentable{"", "&str", "f64"}));
    EXPECT_EQ(try_parse<RealVec>("").error(), (Unrepresentable{"", "&str", "f64"}));
    EXPECT_EQ(try_parse<RealVec>("1, x,3").error(), (Unrepresentable{" x", "&str", "f64"}));
    EXPECT_EQ(try_parse<RealVec>("(1, X0), (y, Z1)").error(), (Unrepresentable{"y", "&str", "f64"}));

    const auto signs = *try_parse<SignVec>("+1, -1, 1");
    EXPECT_EQ(fmt_vec(signs), "[+1, -1, +1]");
    EXPECT_EQ(fmt_vec(*try_parse<ComplexSignVec>("(i, X0), (-1, Y2)")), "[+i, -1]");
    EXPECT_EQ(try_parse<SignVec>("1, i").error().message(), unrep(" i", "&str", "Sign"));
    EXPECT_EQ(fmt_vec(*try_parse<ComplexVec>("1+2i, -i")), "[1+2i, 0-1i]");
}

TEST(CoeffVecs, PrintedForms) {
    EXPECT_EQ(fmt_vec(UnityVec(2)), "[1, 1]");
    EXPECT_EQ(fmt_vec(UnityVec(0)), "[]");
    EXPECT_EQ(fmt_vec(SignVec::new_with_len(2)), "[+1, +1]");
    EXPECT_EQ(fmt_vec(ComplexSignVec()), "[]");
    EXPECT_EQ(fmt_num(Unity{}), "");
}

TEST(CoeffVecs, NewWithLenAndUnits) {
    const auto r = RealVec::new_with_len(3);
    const auto u = RealVec::new_units_with_len(3);
    const auto c = ComplexVec::new_units_with_len(2);
    for (uint64_t k = 0; k < 3; ++k) {
        EXPECT_EQ(r.get(k), 0.0);
        EXPECT_EQ(u.get(k), 1.0);
    }
    EXPECT_EQ(c.get(1), Complex(1, 0));
    EXPECT_EQ(fmt_vec(ComplexSignVec::new_with_len(3)), "[+1, +1, +1]");
    EXPECT_THROW(RealVec::new_with_len(uint64_t{1} << 62), std::bad_alloc);
    EXPECT_THROW(ComplexVec::new_with_len(UINT64_MAX), std::bad_alloc);
}

TEST(CoeffVecs, SignVecResizeClearsDroppedBits) {
    SignVec v = SignVec::new_with_len(70);
    for (uint64_t k = 0; k < 70; ++k) v.set(k, Sign(true));
    v.resize(3);
    EXPECT_EQ(fmt_vec(v), "[-1, -1, -1]");
    v.resize(70);
    for (uint64_t k = 3; k < 70; ++k) EXPECT_EQ(v.get(k), Sign(false)) << k;
    v.resize_with(72, Sign(true));
    EXPECT_EQ(v.get(71), Sign(true));
    EXPECT_EQ(v.get(69), Sign(false));
}

// Packed vectors behave exactly like a plain vector of their scalars, across word boundaries.
template <class V, class Gen>
void check_against_model(Gen gen) {
    std::mt19937_64 rng(7);
    using T = typename V::Scalar;
    V v;
    std::vector<T> model;
    for (int step = 0; step < 3000; ++step) {
        const auto op = rng() % 7;
        const uint64_t n = model.size();
        if (op == 0 || n == 0) {
            const T x = gen(rng);
            v.push(x);
            model.push_back(x);
        } else if (op == 1) {
            const uint64_t k = rng() % n;
            const T x = gen(rng);
            v.set(k, x);
            model[k] = x;
        } else if (op == 2) {
            const uint64_t i = rng() % n, j = rng() % n;
            v.swap(i, j);
            std::swap(model[i], model[j]);
        } else if (op == 3) {
            const uint64_t i = rng() % n;
            v.pop_and_swap(i);
            model[i] = model.back();
            model.pop_back();
        } else if (op == 4) {
            const uint64_t m = rng() % 140;
            v.resize(m);
            model.resize(m, V::new_with_len(1).get(0));
        } else if (op == 5 && n < 400) {
            v.extend(v);  // aliasing: the old entries twice
            const auto copy = model;
            model.insert(model.end(), copy.begin(), copy.end());
        } else {
            const uint64_t k = rng() % n;
            const T x = gen(rng);
            imul_elem_unchecked(v, k, x);
            model[k] = num_mul(x, model[k]);
        }
        ASSERT_EQ(v.size(), model.size());
        for (uint64_t k = 0; k < model.size(); ++k) ASSERT_EQ(v.get(k), model[k]) << "step " << step;
    }
}

TEST(CoeffVecs, VectorsMatchAPlainModel) {
    check_against_model<SignVec>([](auto& r) { return Sign(r() & 1); });
    check_against_model<ComplexSignVec>([](auto& r) { return ComplexSign(static_cast<uint8_t>(r() & 3)); });
    check_against_model<RealVec>([](auto& r) { return static_cast<double>(r() % 9) - 4.0; });
    check_against_model<ComplexVec>([](auto& r) { return Complex(double(r() % 5) - 2, double(r() % 5) - 2); });
}

TEST(CoeffVecs, ComplexSignVecStoresModuloFour) {
    ComplexSignVec v;
    v.push(ComplexSign(5));
    v.push(ComplexSign(255));
    EXPECT_EQ(v.get(0).power, 1);
    EXPECT_EQ(v.get(1).power, 3);
    imul_elem_unchecked(v, 1, ComplexSign(2));
    EXPECT_EQ(v.get(1).power, 1);
    // Entry 32 starts the second word.
    for (int k = 0; k < 30; ++k) v.push(ComplexSign(0));
    v.push(ComplexSign(3));
    EXPECT_EQ(v.bits().words().size(), 2u);
    EXPECT_EQ(v.bits().words()[1], 3u);
}

TEST(CoeffVecs, ConversionBetweenSignKinds) {
    SignVec s;
    for (bool b : {false, true, true}) s.push(Sign(b));
    const auto c = *try_represent<ComplexSignVec>(s);
    EXPECT_EQ(fmt_vec(c), "[+1, -1, -1]");
    EXPECT_EQ(*try_represent<SignVec>(c), s);
    ComplexSignVec bad = c;
    bad.push(ComplexSign(1));
    bad.push(ComplexSign(3));
    EXPECT_EQ(try_represent<SignVec>(bad).error().message(), unrep("+i", "ComplexSign", "Sign"));
    EXPECT_EQ(fmt_vec(*try_represent<ComplexVec>(c)), "[1+0i, -1+-0i, -1+-0i]");
    EXPECT_EQ(try_represent<RealVec>(*try_represent<ComplexVec>(bad)).error().value, "0+1i");
}

TEST(CoeffVecs, EqualityAndInsignificance) {
    RealVec a, b;
    a.push(0.0);
    b.push(-0.0);
    EXPECT_EQ(a, b);
    a.push(nan_v);
    b.push(nan_v);
    EXPECT_NE(a, b);
    RealVec small;
    small.push(1e-8);
    small.push(-1e-8);
    EXPECT_TRUE(all_insignificant(small, 1e-8));
    small.push(2e-8);
    EXPECT_FALSE(all_insignificant(small, 1e-8));
    RealVec only_nan;
    only_nan.push(nan_v);
    EXPECT_TRUE(all_insignificant(only_nan, 0.0));
    ComplexVec c;
    c.push({3e-9, 4e-9});
    EXPECT_TRUE(all_insignificant(c, 5e-9));
    EXPECT_FALSE(all_insignificant(c, 4.9e-9));
    EXPECT_TRUE(all_insignificant(RealVec(), 0.0));
}

TEST(CoeffVecs, UnityVecIsALength) {
    UnityVec u(3);
    u.push_default();
    u.pop_and_swap(0);
    u.extend(u);
    EXPECT_EQ(u.size(), 6u);
    EXPECT_EQ(u.get(5), Unity{});
    EXPECT_THROW(u.get(6), InternalError);
    EXPECT_THROW(RealVec::new_with_len(2).get(2), InternalError);
    EXPECT_THROW(SignVec::new_with_len(2).get(2), InternalError);
}
