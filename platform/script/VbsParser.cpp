#include "platform/script/VbsParser.h"

#include "platform/com/NumberText.h"
#include "platform/script/VbsStack.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

namespace vbs {

namespace {

constexpr int kMaxDepth = 200;            // nesting of blocks, parentheses and prefix operators
constexpr int kMaxExpressionDepth = 1000;  // height of one expression's tree

bool IsWordToken(Tok t)
{
    return t == Tok::Identifier || t >= Tok::And;
}

}  // namespace

Parser::Parser(std::u16string_view source, SymbolTable& symbols)
    : scanner_(source), source_(source), symbols_(symbols)
{
    cur_ = scanner_.Next();
    next_ = scanner_.Next();
}

// ---- verbs ----

void Parser::Advance()
{
    cur_ = next_;
    if (cur_.type != Tok::End)
        next_ = scanner_.Next();
}

bool Parser::Match(Tok t)
{
    if (!Check(t))
        return false;
    Advance();
    return true;
}

void Parser::Consume(Tok t, LONG errorNumber)
{
    if (!Match(t))
        Fail(errorNumber);
}

void Parser::Fail(LONG number)
{
    Fail(number, cur_);
}

void Parser::Fail(LONG number, const Token& at)
{
    if (at.type == Tok::Unterminated)
        number = kUnterminatedString;
    else if (at.type == Tok::Invalid)
        number = at.length > 1 ? kExpectedEndOfStatement : kInvalidCharacter;
    error_.number = number;
    error_.description = DescribeError(number);
    error_.source = kCompileSource;
    error_.line = LONG(at.line);
    error_.column = LONG(at.column);
    throw Abort{};
}

bool Parser::AtStatementEnd() const
{
    return Check(Tok::Newline) || Check(Tok::Colon) || Check(Tok::End);
}

void Parser::EndStatement()
{
    if (!AtStatementEnd())
        Fail(kExpectedEndOfStatement);
}

void Parser::SkipLineEnds()
{
    while (Check(Tok::Newline) || Check(Tok::Colon))
        Advance();
}

bool Parser::CheckWord(const char* lowerWord) const
{
    if (cur_.type != Tok::Identifier)
        return false;
    std::u16string_view text = scanner_.Text(cur_);
    size_t i = 0;
    for (; lowerWord[i]; ++i)
        if (i >= text.size() || (text[i] | 0x20) != lowerWord[i])
            return false;
    return i == text.size();
}

std::u16string Parser::TakeIdentifier()
{
    if (!Check(Tok::Identifier))
        Fail(kExpectedIdentifier);
    std::u16string name(scanner_.Text(cur_));
    Advance();
    return name;
}

std::u16string Parser::TakeMemberName()
{
    if (!IsWordToken(cur_.type))
        Fail(kExpectedIdentifier);
    std::u16string name(scanner_.Text(cur_));
    Advance();
    return name;
}

void Parser::Enter()
{
    if (++depth_ > kMaxDepth || StackIsLow())
        Fail(kOutOfStackSpace);
}

// The evaluator and the tree's destruction recurse as deep as the tree is
// high, so the height is bounded here, where the tree is built.
void Parser::Nest(Expr& parent, const Expr* child)
{
    if (!child)
        return;
    if (child->height >= kMaxExpressionDepth)
        Fail(kOutOfStackSpace);
    parent.height = std::max<uint16_t>(parent.height, uint16_t(child->height + 1));
}

// ---- program and blocks ----

std::optional<Program> Parser::Parse()
{
    Block globals;
    std::optional<Program> program = Parse([&](StmtPtr stmt) { globals.push_back(std::move(stmt)); });
    if (program)
        program->globals = std::move(globals);
    return program;
}

std::optional<Program> Parser::Parse(const GlobalStatement& global)
{
    Program program;
    try {
        ParseTopLevel(program, global);
    } catch (const Abort&) {
        return std::nullopt;
    }
    return program;
}

void Parser::ParseTopLevel(Program& program, const GlobalStatement& global)
{
    for (;;) {
        SkipLineEnds();
        if (Check(Tok::End))
            return;
        if (CheckWord("option")) {
            Advance();
            if (!CheckWord("explicit"))
                Fail(kSyntaxError);
            Advance();
            program.optionExplicit = true;
            EndStatement();
            continue;
        }
        bool visibility = Check(Tok::Public) || Check(Tok::Private);
        Tok after = visibility ? next_.type : cur_.type;
        if (after == Tok::Sub || after == Tok::Function) {
            if (visibility)
                Advance();
            Token start = cur_;
            auto procedure = ParseProcedure();
            for (const auto& other : program.procedures)
                if (other->symbol == procedure->symbol)
                    Fail(kNameRedefined, start);
            program.procedures.push_back(std::move(procedure));
            EndStatement();
            continue;
        }
        StmtPtr stmt = ParseStatement();
        EndStatement();
        global(std::move(stmt));
    }
}

Block Parser::ParseBlock(std::initializer_list<Tok> terminators)
{
    Enter();
    Block block;
    for (;;) {
        SkipLineEnds();
        for (Tok t : terminators)
            if (Check(t)) {
                Leave();
                return block;
            }
        if (Check(Tok::End))
            return block;  // the caller reports the missing end
        block.push_back(ParseStatement());
        EndStatement();
    }
}

StmtPtr Parser::ParseStatement()
{
    switch (cur_.type) {
    case Tok::Dim: return ParseDim(Stmt::Kind::Dim);
    case Tok::Public:
    case Tok::Private:
        if (next_.type == Tok::Const) {
            Advance();
            return ParseConst();
        }
        return ParseDim(Stmt::Kind::Dim);
    case Tok::ReDim: return ParseDim(Stmt::Kind::ReDim);
    case Tok::Const: return ParseConst();
    case Tok::If: return ParseIf();
    case Tok::For: return ParseFor();
    case Tok::Do: return ParseDo();
    case Tok::While: return ParseWhile();
    case Tok::Select: return ParseSelect();
    case Tok::Exit: return ParseExit();
    case Tok::On: return ParseOnError();
    case Tok::Sub:
    case Tok::Function: Fail(kSyntaxError);  // only at the top level
    default: return ParseSimpleStatement();
    }
}

// The statements that may also stand in a one-line If.
StmtPtr Parser::ParseSimpleStatement()
{
    switch (cur_.type) {
    case Tok::Set: return ParseSet();
    case Tok::Call: return ParseCallKeyword();
    case Tok::Exit: return ParseExit();
    case Tok::On: return ParseOnError();
    case Tok::Let: Advance(); return ParseAssignOrCall();
    case Tok::Identifier: return ParseAssignOrCall();
    default: Fail(kExpectedStatement);
    }
}

std::shared_ptr<Procedure> Parser::ParseProcedure()
{
    auto procedure = std::make_shared<Procedure>();
    procedure->isFunction = Check(Tok::Function);
    procedure->line = cur_.line;
    Advance();
    procedure->name = TakeIdentifier();
    procedure->symbol = symbols_.Intern(procedure->name);
    if (Match(Tok::LParen)) {
        if (!Check(Tok::RParen)) {
            do {
                Procedure::Param param;
                if (Match(Tok::ByVal))
                    param.byRef = false;
                else
                    Match(Tok::ByRef);
                param.symbol = symbols_.Intern(TakeIdentifier());
                if (Match(Tok::LParen))
                    Consume(Tok::RParen, kExpectedRightParen);
                for (const auto& p : procedure->params)
                    if (p.symbol == param.symbol)
                        Fail(kNameRedefined);
                procedure->params.push_back(param);
            } while (Match(Tok::Comma));
        }
        Consume(Tok::RParen, kExpectedRightParen);
    }
    EndStatement();
    int& inside = procedure->isFunction ? inFunction_ : inSub_;
    ++inside;
    int savedDo = loopDo_, savedFor = loopFor_;
    loopDo_ = loopFor_ = 0;
    procedure->body = ParseBlock({Tok::EndKw});
    loopDo_ = savedDo;
    loopFor_ = savedFor;
    --inside;
    procedure->endLine = cur_.line;
    ExpectEnd(procedure->isFunction ? Tok::Function : Tok::Sub,
              procedure->isFunction ? kExpectedFunction : kExpectedSub);
    return procedure;
}

void Parser::ExpectEnd(Tok what, LONG errorNumber)
{
    Consume(Tok::EndKw, kExpectedEnd);
    Consume(what, errorNumber);
}

// ---- declarations ----

StmtPtr Parser::ParseDim(Stmt::Kind kind)
{
    auto dim = std::make_unique<DimStmt>(kind);
    dim->line = cur_.line;
    Advance();
    if (kind == Stmt::Kind::ReDim && CheckWord("preserve")) {
        dim->preserve = true;
        Advance();
    }
    do {
        DimStmt::Variable v;
        v.name = TakeIdentifier();
        v.symbol = symbols_.Intern(v.name);
        if (Match(Tok::LParen)) {
            v.isArray = true;
            if (!Check(Tok::RParen)) {
                do
                    v.bounds.push_back(ParseExpression());
                while (Match(Tok::Comma));
            }
            Consume(Tok::RParen, kExpectedRightParen);
        } else if (kind == Stmt::Kind::ReDim) {
            Fail(kSyntaxError);
        }
        dim->variables.push_back(std::move(v));
    } while (Match(Tok::Comma));
    return dim;
}

StmtPtr Parser::ParseConst()
{
    auto stmt = OpenStatement<ConstStmt>();
    do {
        Symbol symbol = symbols_.Intern(TakeIdentifier());
        Consume(Tok::Eq, kExpectedEquals);
        bool negative = Match(Tok::Minus);
        ExprPtr value = ParseLiteral();
        if (!value)
            Fail(kExpectedLiteral);
        if (negative) {
            auto neg = std::make_unique<UnaryExpr>();
            neg->op = Op::Neg;
            Nest(*neg, value.get());
            neg->operand = std::move(value);
            value = std::move(neg);
        }
        stmt->constants.emplace_back(symbol, std::move(value));
    } while (Match(Tok::Comma));
    return stmt;
}

// ---- control flow ----

StmtPtr Parser::ParseIf()
{
    Enter();  // one-line Ifs nest without a block
    StmtPtr result = ParseIfBody();
    Leave();
    return result;
}

StmtPtr Parser::ParseIfBody()
{
    auto stmt = OpenStatement<IfStmt>();
    ExprPtr condition = ParseExpression();
    Consume(Tok::Then, kExpectedThen);
    if (!Check(Tok::Newline) && !Check(Tok::End)) {
        // One line: If c Then s1 : s2 Else s3 : s4
        Block then;
        do {
            if (Check(Tok::Else) || AtStatementEnd())
                break;
            then.push_back(Check(Tok::If) ? ParseIf() : ParseSimpleStatement());
        } while (Match(Tok::Colon));
        stmt->branches.emplace_back(std::move(condition), std::move(then));
        if (Match(Tok::Else)) {
            do {
                if (AtStatementEnd())
                    break;
                stmt->otherwise.push_back(Check(Tok::If) ? ParseIf() : ParseSimpleStatement());
            } while (Match(Tok::Colon));
        }
        if (Check(Tok::EndKw) && next_.type == Tok::If) {
            Advance();
            Advance();
        }
        return stmt;
    }
    Block then = ParseBlock({Tok::ElseIf, Tok::Else, Tok::EndKw});
    stmt->branches.emplace_back(std::move(condition), std::move(then));
    while (Check(Tok::ElseIf)) {
        Advance();
        ExprPtr c = ParseExpression();
        Consume(Tok::Then, kExpectedThen);
        Block b = ParseBlock({Tok::ElseIf, Tok::Else, Tok::EndKw});
        stmt->branches.emplace_back(std::move(c), std::move(b));
    }
    if (Match(Tok::Else))
        stmt->otherwise = ParseBlock({Tok::EndKw});
    ExpectEnd(Tok::If, kExpectedIf);
    return stmt;
}

StmtPtr Parser::ParseFor()
{
    uint32_t line = cur_.line;
    Advance();
    if (Match(Tok::Each)) {
        auto stmt = std::make_unique<ForEachStmt>();
        stmt->line = line;
        stmt->variable = NameAt(TakeIdentifier(), line);
        Consume(Tok::In, kSyntaxError);
        stmt->group = ParseExpression();
        stmt->body = ParseForBody();
        return stmt;
    }
    auto stmt = std::make_unique<ForStmt>();
    stmt->line = line;
    if (!Check(Tok::Identifier))
        Fail(kInvalidForVariable);
    stmt->variable = NameAt(TakeIdentifier(), line);
    Consume(Tok::Eq, kExpectedEquals);
    stmt->from = ParseExpression();
    Consume(Tok::To, kExpectedTo);
    stmt->to = ParseExpression();
    if (Match(Tok::Step))
        stmt->step = ParseExpression();
    EndStatement();
    stmt->body = ParseForBody();
    return stmt;
}

// The statements of a For or For Each up to its Next, which may repeat the
// loop variable's name.
Block Parser::ParseForBody()
{
    ++loopFor_;
    Block body = ParseBlock({Tok::Next});
    --loopFor_;
    Consume(Tok::Next, kExpectedNext);
    if (Check(Tok::Identifier))
        Advance();
    return body;
}

StmtPtr Parser::ParseDo()
{
    auto stmt = OpenStatement<DoStmt>();
    if (Check(Tok::While) || Check(Tok::Until)) {
        stmt->until = Check(Tok::Until);
        Advance();
        stmt->condition = ParseExpression();
    }
    if (!AtStatementEnd())
        Fail(kExpectedWhileOrUntil);
    ++loopDo_;
    stmt->body = ParseBlock({Tok::Loop});
    --loopDo_;
    Consume(Tok::Loop, kExpectedLoop);
    if (Check(Tok::While) || Check(Tok::Until)) {
        if (stmt->condition)
            Fail(kExpectedEndOfStatement);
        stmt->until = Check(Tok::Until);
        stmt->atEnd = true;
        Advance();
        stmt->condition = ParseExpression();
    }
    return stmt;
}

StmtPtr Parser::ParseWhile()
{
    auto stmt = OpenStatement<WhileStmt>();
    stmt->condition = ParseExpression();
    EndStatement();
    stmt->body = ParseBlock({Tok::Wend});
    Consume(Tok::Wend, kExpectedWend);
    return stmt;
}

StmtPtr Parser::ParseSelect()
{
    auto stmt = OpenStatement<SelectStmt>();
    Consume(Tok::Case, kSyntaxError);
    stmt->subject = ParseExpression();
    EndStatement();
    SkipLineEnds();
    while (Match(Tok::Case)) {
        if (Match(Tok::Else)) {
            stmt->hasElse = true;
            stmt->otherwise = ParseBlock({Tok::EndKw});
            break;
        }
        std::vector<ExprPtr> values;
        do
            values.push_back(ParseExpression());
        while (Match(Tok::Comma));
        Block body = ParseBlock({Tok::Case, Tok::EndKw});
        stmt->cases.emplace_back(std::move(values), std::move(body));
    }
    ExpectEnd(Tok::Select, kSyntaxError);
    return stmt;
}

StmtPtr Parser::ParseExit()
{
    auto stmt = OpenStatement<ExitStmt>();
    switch (cur_.type) {
    case Tok::Do: stmt->what = ExitStmt::What::Do; if (!loopDo_) Fail(kInvalidExit); break;
    case Tok::For: stmt->what = ExitStmt::What::For; if (!loopFor_) Fail(kInvalidExit); break;
    case Tok::Sub: stmt->what = ExitStmt::What::Sub; if (!inSub_) Fail(kInvalidExit); break;
    case Tok::Function:
        stmt->what = ExitStmt::What::Function;
        if (!inFunction_)
            Fail(kInvalidExit);
        break;
    default: Fail(kSyntaxError);
    }
    Advance();
    return stmt;
}

StmtPtr Parser::ParseOnError()
{
    auto stmt = OpenStatement<OnErrorStmt>();
    if (!CheckWord("error"))
        Fail(kSyntaxError);
    Advance();
    if (CheckWord("resume")) {
        Advance();
        Consume(Tok::Next, kSyntaxError);
        stmt->resumeNext = true;
        return stmt;
    }
    if (!CheckWord("goto"))
        Fail(kSyntaxError);
    Advance();
    if (!Check(Tok::Integer) || scanner_.Text(cur_) != u"0")
        Fail(kSyntaxError);
    Advance();
    return stmt;
}

// ---- assignments and calls ----

StmtPtr Parser::ParseSet()
{
    auto stmt = OpenStatement<AssignStmt>();
    stmt->isSet = true;
    stmt->target = ParsePostfix();
    Consume(Tok::Eq, kExpectedEquals);
    if (Check(Tok::New))
        Fail(kSyntaxError);  // classes are not part of this language subset
    stmt->value = ParseExpression();
    return stmt;
}

StmtPtr Parser::ParseCallKeyword()
{
    auto stmt = OpenStatement<CallStmt>();
    if (!Check(Tok::Identifier))
        Fail(kExpectedIdentifier);
    stmt->call = ParsePostfix();
    return stmt;
}

StmtPtr Parser::ParseAssignOrCall()
{
    uint32_t line = cur_.line;
    ExprPtr target = ParsePostfix();
    if (Match(Tok::Eq)) {
        auto stmt = std::make_unique<AssignStmt>();
        stmt->line = line;
        stmt->target = std::move(target);
        stmt->value = ParseExpression();
        return stmt;
    }
    auto stmt = std::make_unique<CallStmt>();
    stmt->line = line;
    if (AtStatementEnd() || Check(Tok::Else)) {
        if (target->kind == Expr::Kind::Call) {
            auto& call = static_cast<CallExpr&>(*target);
            if (call.args.size() > 1)
                Fail(kParenthesesOnSubCall);
            // "f (a)": the parentheses make the argument a value, not a reference.
            if (call.args.size() == 1 && call.args[0]) {
                call.args[0] = ByValue(std::move(call.args[0]));
                Nest(call, call.args[0].get());
            }
        }
        stmt->call = std::move(target);
        return stmt;
    }
    auto call = std::make_unique<CallExpr>();
    call->line = line;
    if (target->kind == Expr::Kind::Call && Check(Tok::Comma)) {
        // "f (a), b": the parentheses belong to the first argument.
        auto& inner = static_cast<CallExpr&>(*target);
        if (inner.args.size() != 1)
            Fail(kExpectedEndOfStatement);
        call->target = std::move(inner.target);
        call->args.push_back(ByValue(std::move(inner.args[0])));
        Advance();
        for (auto& a : ParseBareArgs())
            call->args.push_back(std::move(a));
    } else {
        if (target->kind == Expr::Kind::Call)
            Fail(kExpectedEndOfStatement);
        call->target = std::move(target);
        call->args = ParseBareArgs();
    }
    Nest(*call, call->target.get());
    for (const ExprPtr& a : call->args)
        Nest(*call, a.get());
    stmt->call = std::move(call);
    return stmt;
}

ExprPtr Parser::ByValue(ExprPtr e)
{
    if (!e)
        return e;
    auto wrap = std::make_unique<UnaryExpr>();
    wrap->line = e->line;
    wrap->op = Op::Paren;
    Nest(*wrap, e.get());
    wrap->operand = std::move(e);
    return wrap;
}

std::vector<ExprPtr> Parser::ParseBareArgs()
{
    std::vector<ExprPtr> args;
    for (;;) {
        if (Check(Tok::Comma))
            args.push_back(nullptr);
        else
            args.push_back(ParseExpression());
        if (!Match(Tok::Comma))
            break;
        if (AtStatementEnd())
            args.push_back(nullptr);
    }
    return args;
}

std::vector<ExprPtr> Parser::ParseParenArgs()
{
    // The '(' is current.
    Advance();
    std::vector<ExprPtr> args;
    if (Match(Tok::RParen))
        return args;
    Enter();
    for (;;) {
        if (Check(Tok::Comma) || Check(Tok::RParen))
            args.push_back(nullptr);
        else
            args.push_back(ParseExpression());
        if (!Match(Tok::Comma))
            break;
    }
    Consume(Tok::RParen, kExpectedRightParen);
    Leave();
    return args;
}

// ---- expressions ----

std::unique_ptr<NameExpr> Parser::NameAt(std::u16string name, uint32_t line)
{
    auto n = std::make_unique<NameExpr>();
    n->line = line;
    n->name = std::move(name);
    n->symbol = symbols_.Intern(n->name);
    return n;
}

ExprPtr Parser::MakeBinary(Op op, ExprPtr lhs, ExprPtr rhs, uint32_t line)
{
    auto e = std::make_unique<BinaryExpr>();
    e->op = op;
    Nest(*e, lhs.get());
    Nest(*e, rhs.get());
    e->lhs = std::move(lhs);
    e->rhs = std::move(rhs);
    e->line = line;
    return e;
}

#define VBS_BINARY_LEVEL(Name, Next, ...)                                  \
    ExprPtr Parser::Name()                                                 \
    {                                                                      \
        ExprPtr lhs = Next();                                              \
        for (;;) {                                                         \
            Op op;                                                         \
            switch (cur_.type) {                                           \
                __VA_ARGS__                                                \
            default: return lhs;                                           \
            }                                                              \
            uint32_t line = cur_.line;                                     \
            Advance();                                                     \
            lhs = MakeBinary(op, std::move(lhs), Next(), line);            \
        }                                                                  \
    }

VBS_BINARY_LEVEL(ParseImp, ParseEqv, case Tok::Imp: op = Op::Imp; break;)
VBS_BINARY_LEVEL(ParseEqv, ParseXor, case Tok::Eqv: op = Op::Eqv; break;)
VBS_BINARY_LEVEL(ParseXor, ParseOr, case Tok::Xor: op = Op::Xor; break;)
VBS_BINARY_LEVEL(ParseOr, ParseAnd, case Tok::Or: op = Op::Or; break;)
VBS_BINARY_LEVEL(ParseAnd, ParseNot, case Tok::And: op = Op::And; break;)
VBS_BINARY_LEVEL(ParseComparison, ParseConcat,
                 case Tok::Eq: op = Op::Eq; break;
                 case Tok::Ne: op = Op::Ne; break;
                 case Tok::Lt: op = Op::Lt; break;
                 case Tok::Gt: op = Op::Gt; break;
                 case Tok::Le: op = Op::Le; break;
                 case Tok::Ge: op = Op::Ge; break;
                 case Tok::Is: op = Op::Is; break;)
VBS_BINARY_LEVEL(ParseConcat, ParseAdditive, case Tok::Amp: op = Op::Concat; break;)
VBS_BINARY_LEVEL(ParseAdditive, ParseMod,
                 case Tok::Plus: op = Op::Add; break;
                 case Tok::Minus: op = Op::Sub; break;)
VBS_BINARY_LEVEL(ParseMod, ParseIntDiv, case Tok::Mod: op = Op::Mod; break;)
VBS_BINARY_LEVEL(ParseIntDiv, ParseMultiplicative, case Tok::Backslash: op = Op::IntDiv; break;)
VBS_BINARY_LEVEL(ParseMultiplicative, ParseUnary,
                 case Tok::Star: op = Op::Mul; break;
                 case Tok::Slash: op = Op::Div; break;)

#undef VBS_BINARY_LEVEL

// The current token is a prefix operator: takes it and parses its operand
// with `operand`, one nesting level deeper.
ExprPtr Parser::ParsePrefixed(Op op, ExprPtr (Parser::*operand)())
{
    auto e = std::make_unique<UnaryExpr>();
    e->line = cur_.line;
    e->op = op;
    Advance();
    Enter();
    e->operand = (this->*operand)();
    Leave();
    Nest(*e, e->operand.get());
    return e;
}

ExprPtr Parser::ParseNot()
{
    if (!Check(Tok::Not))
        return ParseComparison();
    return ParsePrefixed(Op::Not, &Parser::ParseNot);
}

ExprPtr Parser::ParseUnary()
{
    if (Match(Tok::Plus)) {
        // Changes nothing, but nests like any prefix operator.
        Enter();
        ExprPtr operand = ParseUnary();
        Leave();
        return operand;
    }
    if (!Check(Tok::Minus))
        return ParsePower();
    return ParsePrefixed(Op::Neg, &Parser::ParseUnary);
}

ExprPtr Parser::ParsePower()
{
    ExprPtr lhs = ParsePostfix();
    while (Check(Tok::Caret)) {
        uint32_t line = cur_.line;
        Advance();
        ExprPtr rhs;
        if (Check(Tok::Minus)) {
            Enter();
            rhs = ParseUnary();
            Leave();
        } else {
            rhs = ParsePostfix();
        }
        lhs = MakeBinary(Op::Pow, std::move(lhs), std::move(rhs), line);
    }
    return lhs;
}

ExprPtr Parser::ParsePostfix()
{
    ExprPtr e = ParsePrimary();
    for (;;) {
        if (Check(Tok::Dot)) {
            auto m = std::make_unique<MemberExpr>();
            m->line = cur_.line;
            Advance();
            m->name = TakeMemberName();
            Nest(*m, e.get());
            m->base = std::move(e);
            e = std::move(m);
        } else if (Check(Tok::LParen) && e->kind != Expr::Kind::Literal &&
                   e->kind != Expr::Kind::Unary && e->kind != Expr::Kind::Binary) {
            auto c = std::make_unique<CallExpr>();
            c->line = cur_.line;
            c->args = ParseParenArgs();
            Nest(*c, e.get());
            for (const ExprPtr& a : c->args)
                Nest(*c, a.get());
            c->target = std::move(e);
            e = std::move(c);
        } else {
            return e;
        }
    }
}

ExprPtr Parser::ParsePrimary()
{
    if (ExprPtr literal = ParseLiteral())
        return literal;
    uint32_t line = cur_.line;
    if (Check(Tok::Identifier)) {
        auto n = NameAt(std::u16string(scanner_.Text(cur_)), line);
        Advance();
        return n;
    }
    if (Check(Tok::LParen)) {
        Advance();
        Enter();
        ExprPtr inner = ParseExpression();
        Leave();
        Consume(Tok::RParen, kExpectedRightParen);
        return inner;
    }
    Fail(kExpectedExpression);
}

ExprPtr Parser::ParseLiteral()
{
    auto lit = std::make_unique<LiteralExpr>();
    lit->line = cur_.line;
    std::u16string_view text = scanner_.Text(cur_);
    switch (cur_.type) {
    case Tok::True: lit->value = _variant_t(true); break;
    case Tok::False: lit->value = _variant_t(false); break;
    case Tok::Empty: break;
    case Tok::Null: lit->value.vt = VT_NULL; break;
    case Tok::Nothing:
        lit->value.vt = VT_DISPATCH;
        lit->value.pdispVal = nullptr;
        break;
    case Tok::String: {
        std::u16string value;
        value.reserve(text.size());
        for (size_t i = 1; i + 1 < text.size(); ++i) {
            value.push_back(text[i]);
            if (text[i] == '"')
                ++i;  // a doubled quote stands for one
        }
        lit->value.vt = VT_BSTR;
        lit->value.bstrVal = SysAllocStringLen(value.data(), UINT(value.size()));
        break;
    }
    case Tok::Integer: {
        std::string digits(text.begin(), text.end());
        if (digits.size() > 1 && digits[0] == '&') {
            bool hex = (digits[1] | 0x20) == 'h';
            bool longSuffix = digits.back() == '&';
            std::string body = digits.substr(2, digits.size() - 2 - (longSuffix ? 1 : 0));
            if (body.empty() || body.size() > (hex ? 8u : 11u) ||
                body.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "01234567") != std::string::npos)
                Fail(kInvalidNumber);
            unsigned long long v = std::strtoull(body.c_str(), nullptr, hex ? 16 : 8);
            if (v > 0xFFFFFFFFull)
                Fail(kInvalidNumber);
            LONG n = v <= 0xFFFF && !longSuffix ? LONG(int16_t(uint16_t(v))) : LONG(uint32_t(v));
            lit->value = _variant_t(n);
        } else {
            double v = ParseDouble(digits.c_str(), nullptr);
            if (v <= 2147483647.0)
                lit->value = _variant_t(LONG(v));
            else
                lit->value = _variant_t(v);
        }
        break;
    }
    case Tok::Float: {
        std::string digits(text.begin(), text.end());
        lit->value = _variant_t(ParseDouble(digits.c_str(), nullptr));
        break;
    }
    default: return nullptr;
    }
    Advance();
    return lit;
}

}  // namespace vbs
