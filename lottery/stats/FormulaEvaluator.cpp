#include "lottery/stats/FormulaEvaluator.h"

#include <muParser.h>

#include <cmath>
#include <numbers>
#include <string>

namespace {

double fnSqr(double x) { return x * x; }
double fnInt(double x) { return std::trunc(x); }
double fnFrac(double x) { return x - std::trunc(x); }
// Halves go to the even neighbour, as the rounding of the default floating-point mode does.
double fnRound(double x) { return std::nearbyint(x); }
double fnSign(double x) { return x > 0 ? 1.0 : (x < 0 ? -1.0 : 0.0); }
double fnNot(double x) { return x == 0 ? 1.0 : 0.0; }
double fnAbs(double x) { return std::fabs(x); }
double fnSin(double x) { return std::sin(x); }
double fnCos(double x) { return std::cos(x); }
double fnTan(double x) { return std::tan(x); }
double fnArcTan(double x) { return std::atan(x); }
double fnArcSin(double x) { return std::asin(x); }
double fnArcCos(double x) { return std::acos(x); }
double fnExp(double x) { return std::exp(x); }
double fnLn(double x) { return std::log(x); }
double fnLog(double x) { return std::log10(x); }
double fnSqrt(double x) { return std::sqrt(x); }

// The expression as the parser reads it: letters in lower case. Empty when a character lies outside
// the language of the formulas (comparison and logical operators, commas, any non-ASCII character...),
// which the parser would otherwise accept or misread.
std::string parserText(QStringView text)
{
    std::string out;
    out.reserve(size_t(text.size()));
    for (QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c >= u'A' && c <= u'Z')
            out += char(c - u'A' + u'a');
        else if ((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9'))
            out += char(c);
        else if (c == u'.' || c == u'+' || c == u'-' || c == u'*' || c == u'/' || c == u'^' || c == u'(' ||
                 c == u')' || c == u' ' || c == u'\t')
            out += char(c);
        else
            return {};
    }
    return out;
}

} // namespace

struct TFormulaEvaluator::Impl {
    mu::Parser parser;

    Impl()
    {
        // Only our own names: the parser's built-in functions and constants are not part of the language.
        parser.ClearFun();
        parser.ClearConst();
        parser.ClearPostfixOprt();
        parser.DefineConst("pi", std::numbers::pi);
        parser.DefineConst("e", std::numbers::e);
        parser.DefineFun("arctan", fnArcTan);
        parser.DefineFun("cos", fnCos);
        parser.DefineFun("sin", fnSin);
        parser.DefineFun("tan", fnTan);
        parser.DefineFun("abs", fnAbs);
        parser.DefineFun("exp", fnExp);
        parser.DefineFun("ln", fnLn);
        parser.DefineFun("log", fnLog);
        parser.DefineFun("sqrt", fnSqrt);
        parser.DefineFun("sqr", fnSqr);
        parser.DefineFun("int", fnInt);
        parser.DefineFun("frac", fnFrac);
        parser.DefineFun("trunc", fnInt);
        parser.DefineFun("round", fnRound);
        parser.DefineFun("arcsin", fnArcSin);
        parser.DefineFun("arccos", fnArcCos);
        parser.DefineFun("sign", fnSign);
        parser.DefineFun("not", fnNot);
    }
};

TFormulaEvaluator::TFormulaEvaluator() : d(std::make_unique<Impl>()) {}

TFormulaEvaluator::~TFormulaEvaluator() = default;

void TFormulaEvaluator::DefineVariable(const char *name, double *value)
{
    d->parser.DefineVar(name, value);
    m_valid = false;
}

bool TFormulaEvaluator::SetExpression(QStringView text)
{
    m_valid = false;
    const std::string expr = parserText(text);
    if (expr.find_first_not_of(" \t") == std::string::npos)
        return false;
    try {
        d->parser.SetExpr(expr);
        // The first evaluation compiles the expression; syntax errors and unknown names surface here.
        (void)d->parser.Eval();
        m_valid = true;
    } catch (const mu::Parser::exception_type &) {
    }
    return m_valid;
}

std::optional<double> TFormulaEvaluator::Evaluate() const
{
    if (!m_valid)
        return std::nullopt;
    try {
        const double x = d->parser.Eval();
        if (std::isfinite(x))
            return x;
    } catch (const mu::Parser::exception_type &) {
    }
    return std::nullopt;
}

std::optional<double> TFormulaEvaluator::EvaluateText(QStringView text)
{
    TFormulaEvaluator evaluator;
    if (!evaluator.SetExpression(text))
        return std::nullopt;
    return evaluator.Evaluate();
}
