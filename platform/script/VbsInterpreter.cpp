#include "platform/script/VbsInterpreter.h"

#include "platform/com/SafeArray.h"
#include "platform/script/VbsBuiltins.h"
#include "platform/script/VbsErrObject.h"
#include "platform/script/VbsOperators.h"
#include "platform/script/VbsParser.h"
#include "platform/script/VbsStack.h"
#include "platform/script/VbsTimeLimit.h"
#include "platform/script/VbsValueCopy.h"

#include <algorithm>
#include <functional>
#include <new>

namespace vbs {

namespace {

constexpr int kMaxCallDepth = 250;

bool IsObject(const Value& v) { return v.vt == VT_DISPATCH; }

// Where the 1-based line begins; the text's size when it has fewer lines.
size_t LineStart(std::u16string_view source, LONG line)
{
    size_t start = 0;
    for (LONG n = 1; n < line; ++n) {
        size_t end = source.find_first_of(u"\r\n", start);
        if (end == std::u16string_view::npos)
            return source.size();
        start = end + (source[end] == '\r' && end + 1 < source.size() && source[end + 1] == '\n' ? 2 : 1);
    }
    return start;
}

std::u16string_view LineOf(std::u16string_view source, LONG line)
{
    size_t start = LineStart(source, line);
    size_t end = source.find_first_of(u"\r\n", start);
    return source.substr(start, end == std::u16string_view::npos ? std::u16string_view::npos : end - start);
}

std::string Utf8(std::u16string_view s) { return Utf8FromWide(s.data(), s.size(), BadBytes::Escape); }

// The indices of an element of the array, one argument a dimension.
std::vector<LONG> Subscripts(const SAFEARRAY* array, const std::vector<Value>& args)
{
    if (args.size() != array->cDims)
        Raise(kSubscriptOutOfRange);
    std::vector<LONG> indices;
    for (const Value& a : args)
        indices.push_back(ToLong(a));
    return indices;
}

}  // namespace

Interpreter::Interpreter() : err_(new ErrObject)
{
    errSymbol_ = symbols_.Intern(u"err");
}

Interpreter::~Interpreter()
{
    err_->Release();
}

// ---- entry points ----

std::u16string_view Interpreter::ModuleText::Line(LONG line) const
{
    if (!whole.empty())
        return LineOf(whole, line);
    return line >= first && first > 0 ? LineOf(kept, line - first + 1) : std::u16string_view();
}

void Interpreter::ModuleText::Keep(const std::vector<std::shared_ptr<Procedure>>& procedures)
{
    LONG from = 0, to = 0;
    for (const auto& p : procedures) {
        from = from == 0 ? LONG(p->line) : std::min(from, LONG(p->line));
        to = std::max(to, LONG(p->endLine));
    }
    if (from > 0) {
        size_t begin = LineStart(whole, from);
        kept = whole.substr(begin, LineStart(whole.substr(begin), to - from + 2));
    }
    first = from;
    whole = {};
}

void Interpreter::Fill(Error& error, size_t module)
{
    if (module < modules_.size() && error.line > 0)
        error.text = Utf8(modules_[module].Line(error.line));
}

bool Interpreter::RunGuarded(const std::function<void()>& body)
{
    failure_ = Error{};
    TimeLimit limit(timeout_);
    try {
        body();
        return true;
    } catch (RuntimeError& e) {
        failure_ = e.error;
        Fill(failure_, e.module);
        return false;
    } catch (const std::bad_alloc&) {
        failure_ = RuntimeFailure(kOutOfMemory);
        return false;
    } catch (const _com_error& e) {
        failure_ = RuntimeFailure(ErrorOfHResult(e.Error()));
        return false;
    }
}

// The whole module is compiled before any of it runs. Only its procedures
// are kept: each global statement is compiled again just before it runs and
// dropped after, so that a long program never stands compiled in memory.
bool Interpreter::AddCode(std::u16string_view code)
{
    size_t module = modules_.size();
    ModuleText::Lent lent{modules_.emplace_back(code)};
    Parser checker(code, symbols_);
    std::optional<Program> program = checker.Parse([](StmtPtr) {});
    bool ok = false;
    if (!program) {
        failure_ = checker.Failure();
        Fill(failure_, module);
    } else if (Register(*program, module)) {
        ok = RunGuarded([&] {
            Frame frame;
            frame.module = module;
            frame.optionExplicit = program->optionExplicit;
            bool ended = false;
            Parser(code, symbols_).Parse([&](StmtPtr stmt) {
                if (!ended)
                    ended = ExecTrapped(*stmt, frame) != Flow::Normal;
            });
        });
    }
    modules_[module].Keep(program ? program->procedures : std::vector<std::shared_ptr<Procedure>>());
    return ok;
}

// Adds the module's procedures, unless one of them is already there.
bool Interpreter::Register(const Program& program, size_t module)
{
    for (const auto& p : program.procedures)
        if (procedures_.count(p->symbol)) {
            failure_ = Error{kNameRedefined, DescribeError(kNameRedefined), kCompileSource,
                             LONG(p->line), 0, {}, true};
            Fill(failure_, module);
            return false;
        }
    optionExplicit_ = optionExplicit_ || program.optionExplicit;
    for (const auto& p : program.procedures) {
        p->module = module;
        procedures_[p->symbol] = p;
        order_.push_back(p);
    }
    globals_.resize(symbols_.Size());
    return true;
}

bool Interpreter::Run(std::u16string_view name, std::vector<Value> args, Value* result)
{
    int symbol = symbols_.Find(name);
    auto it = symbol < 0 ? procedures_.end() : procedures_.find(symbol);
    if (it == procedures_.end()) {
        failure_ = Error{kTypeMismatch, "Type mismatch: '" + Utf8(name) + "'", kRuntimeSource,
                         0, 0, {}, true};
        return false;
    }
    const Procedure& procedure = *it->second;
    return RunGuarded([&] {
        Frame frame;
        frame.module = procedure.module;
        Value r = CallProcedure(procedure, nullptr, std::move(args), frame);
        if (result)
            *result = std::move(r);
    });
}

bool Interpreter::Eval(std::u16string_view expression, Value* result)
{
    std::u16string code = u"Err = " + std::u16string(expression);
    size_t module = modules_.size();
    ModuleText::Lent lent{modules_.emplace_back(expression)};
    Parser parser(code, symbols_);
    std::optional<Program> program = parser.Parse();
    bool ok = false;
    if (!program || program->globals.size() != 1 || program->globals[0]->kind != Stmt::Kind::Assign) {
        failure_ = program ? Error{kSyntaxError, DescribeError(kSyntaxError), kCompileSource, 1, 0, {}, true}
                           : parser.Failure();
        Fill(failure_, module);
    } else {
        globals_.resize(symbols_.Size());
        auto& assign = static_cast<AssignStmt&>(*program->globals[0]);
        ok = RunGuarded([&] {
            Frame frame;
            frame.module = module;
            Value v = Eval(*assign.value, frame);
            if (result)
                *result = std::move(v);
        });
    }
    return ok;
}

void Interpreter::AddObject(std::u16string_view name, IDispatch* object)
{
    Symbol s = symbols_.Intern(name);
    globals_.resize(symbols_.Size());
    Slot& slot = globals_[size_t(s)];
    slot.value = Value(object, true);
    slot.defined = true;
    slot.isConst = true;
}

void Interpreter::SetErr(const Error& error)
{
    err_->Set(error);
}

// ---- statements ----

Interpreter::Flow Interpreter::ExecBlock(const Block& block, Frame& frame)
{
    for (const StmtPtr& stmt : block)
        if (Flow flow = ExecTrapped(*stmt, frame); flow != Flow::Normal)
            return flow;
    return Flow::Normal;
}

// One statement, its errors skipped under On Error Resume Next.
Interpreter::Flow Interpreter::ExecTrapped(const Stmt& stmt, Frame& frame)
{
    try {
        try {
            CheckTimeLimit();  // raised here, it is this statement's
            if (StackIsLow())
                Raise(kOutOfStackSpace);  // statements nested in calls nested in statements
            return Exec(stmt, frame);
        } catch (const std::bad_alloc&) {
            Raise(kOutOfMemory);  // the language's own error, on this statement's line
        } catch (const _com_error& e) {
            Raise(ErrorOfHResult(e.Error()));  // a value the runtime could not copy, out of memory
        }
    } catch (RuntimeError& e) {
        if (e.error.line == 0) {
            e.error.line = LONG(stmt.line);
            e.module = frame.module;
        }
        if (!frame.resumeNext || !e.error.trappable)
            throw;
        SetErr(e.error);
    }
    return Flow::Normal;
}

Interpreter::Flow Interpreter::Exec(const Stmt& stmt, Frame& frame)
{
    switch (stmt.kind) {
    case Stmt::Kind::Assign: ExecAssign(static_cast<const AssignStmt&>(stmt), frame); break;
    case Stmt::Kind::Call: ExecCall(static_cast<const CallStmt&>(stmt), frame); break;
    case Stmt::Kind::If: return ExecIf(static_cast<const IfStmt&>(stmt), frame);
    case Stmt::Kind::For: return ExecFor(static_cast<const ForStmt&>(stmt), frame);
    case Stmt::Kind::ForEach: return ExecForEach(static_cast<const ForEachStmt&>(stmt), frame);
    case Stmt::Kind::Do: return ExecDo(static_cast<const DoStmt&>(stmt), frame);
    case Stmt::Kind::While: return ExecWhile(static_cast<const WhileStmt&>(stmt), frame);
    case Stmt::Kind::Select: return ExecSelect(static_cast<const SelectStmt&>(stmt), frame);
    case Stmt::Kind::Exit:
        switch (static_cast<const ExitStmt&>(stmt).what) {
        case ExitStmt::What::Do: return Flow::ExitDo;
        case ExitStmt::What::For: return Flow::ExitFor;
        default: return Flow::ExitProcedure;
        }
    case Stmt::Kind::OnError: ExecOnError(static_cast<const OnErrorStmt&>(stmt), frame); break;
    case Stmt::Kind::Dim:
    case Stmt::Kind::ReDim: ExecDim(static_cast<const DimStmt&>(stmt), frame); break;
    case Stmt::Kind::Const: ExecConst(static_cast<const ConstStmt&>(stmt), frame); break;
    case Stmt::Kind::Nop: break;
    }
    return Flow::Normal;
}

void Interpreter::ExecOnError(const OnErrorStmt& stmt, Frame& frame)
{
    frame.resumeNext = stmt.resumeNext;
    err_->Clear();
}

void Interpreter::ExecAssign(const AssignStmt& stmt, Frame& frame)
{
    Value value = Eval(*stmt.value, frame);
    if (stmt.isSet) {
        if (!IsObject(value))
            Raise(kObjectRequired);
    } else if (IsObject(value)) {
        value = DefaultValue(value);
    }
    const Expr& target = *stmt.target;
    WORD put = stmt.isSet ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT;
    switch (target.kind) {
    case Expr::Kind::Name:
        Store(static_cast<const NameExpr&>(target), std::move(value), frame);
        return;
    case Expr::Kind::Member: {
        auto& m = static_cast<const MemberExpr&>(target);
        Value holder;
        IDispatch* object = EvalObject(*m.base, frame, holder);
        Invoke(object, &m.name, put, {}, &value);
        return;
    }
    case Expr::Kind::Call: {
        auto& c = static_cast<const CallExpr&>(target);
        std::vector<Value> args = EvalArgs(c.args, frame);
        if (c.target->kind == Expr::Kind::Member) {
            auto& m = static_cast<const MemberExpr&>(*c.target);
            Value holder;
            IDispatch* object = EvalObject(*m.base, frame, holder);
            Invoke(object, &m.name, put, std::move(args), &value);
            return;
        }
        if (c.target->kind != Expr::Kind::Name)
            Raise(kIllegalAssignment);
        Slot* slot = FindSlot(static_cast<const NameExpr&>(*c.target).symbol, frame);
        if (!slot)
            Raise(kTypeMismatch);
        Value& v = slot->Get();
        if (IsObject(v)) {
            if (!v.pdispVal)
                Raise(kObjectRequired);
            Invoke(v.pdispVal, nullptr, put, std::move(args), &value);
            return;
        }
        if (!(v.vt & VT_ARRAY) || !v.parray)
            Raise(kTypeMismatch);
        std::vector<LONG> indices = Subscripts(v.parray, args);
        CheckArrayElement(value);
        void* element = SafeArrayElementPointer(v.parray, indices.data());
        if (!element)
            Raise(kSubscriptOutOfRange);
        if (v.parray->vt == VT_VARIANT) {
            VariantClear(static_cast<VARIANT*>(element));
            *static_cast<VARIANT*>(element) = value.Detach();  // this statement's own copy: moved in
        } else if (FAILED(SafeArrayPutElement(v.parray, indices.data(), &value))) {
            Raise(kSubscriptOutOfRange);
        }
        return;
    }
    default: Raise(kIllegalAssignment);
    }
}

void Interpreter::ExecCall(const CallStmt& stmt, Frame& frame)
{
    const Expr& call = *stmt.call;
    switch (call.kind) {
    case Expr::Kind::Name: EvalName(static_cast<const NameExpr&>(call), frame, true); return;
    case Expr::Kind::Member:
        EvalMember(static_cast<const MemberExpr&>(call), nullptr, frame, true);
        return;
    case Expr::Kind::Call: EvalCall(static_cast<const CallExpr&>(call), frame, true); return;
    default: Eval(call, frame); return;
    }
}

Interpreter::Flow Interpreter::ExecIf(const IfStmt& stmt, Frame& frame)
{
    for (const auto& [condition, body] : stmt.branches) {
        bool taken;
        try {
            taken = IsTrue(EvalPlain(*condition, frame));
        } catch (RuntimeError& e) {
            // Skipping a failed condition goes on with the next statement: the branch.
            if (!frame.resumeNext || !e.error.trappable)
                throw;
            SetErr(e.error);
            taken = true;
        }
        if (taken)
            return ExecBlock(body, frame);
    }
    return ExecBlock(stmt.otherwise, frame);
}

// Runs one pass of a loop's body. Empty while the loop goes on; otherwise
// what the loop statement ends with: its own Exit ends it normally, any
// other exit passes on.
std::optional<Interpreter::Flow> Interpreter::LoopBody(const Block& body, Frame& frame, Flow exit)
{
    Flow flow = ExecBlock(body, frame);
    if (flow == Flow::Normal)
        return std::nullopt;
    return flow == exit ? Flow::Normal : flow;
}

Interpreter::Flow Interpreter::ExecFor(const ForStmt& stmt, Frame& frame)
{
    auto& variable = static_cast<const NameExpr&>(*stmt.variable);
    Value from = EvalPlain(*stmt.from, frame);
    Value to = EvalPlain(*stmt.to, frame);
    Value step = stmt.step ? EvalPlain(*stmt.step, frame) : Value(LONG(1));
    double limit = ToNumber(to), increment = ToNumber(step);
    Store(variable, ApplyBinary(Op::Add, from, Value(LONG(0))), frame);
    for (;;) {
        Value current = EvalPlain(variable, frame);
        double v = ToNumber(current);
        if (increment >= 0 ? v > limit : v < limit)
            return Flow::Normal;
        if (std::optional<Flow> end = LoopBody(stmt.body, frame, Flow::ExitFor))
            return *end;
        Store(variable, ApplyBinary(Op::Add, EvalPlain(variable, frame), step), frame);
        CheckTimeLimit();
    }
}

Interpreter::Flow Interpreter::ExecForEach(const ForEachStmt& stmt, Frame& frame)
{
    Value group = Eval(*stmt.group, frame);
    if (!(group.vt & VT_ARRAY) || !group.parray)
        Raise(451, "Object not a collection");
    SAFEARRAY* a = group.parray;
    const size_t count = SafeArrayElementCount(a);
    auto* items = static_cast<VARIANT*>(a->pvData);
    for (size_t i = 0; i < count; ++i) {
        ChargeWork(1);  // a walk with an empty body is work too
        Store(static_cast<const NameExpr&>(*stmt.variable), CopyValue(items[i]), frame);
        if (std::optional<Flow> end = LoopBody(stmt.body, frame, Flow::ExitFor))
            return *end;
    }
    return Flow::Normal;
}

Interpreter::Flow Interpreter::ExecDo(const DoStmt& stmt, Frame& frame)
{
    auto keepGoing = [&] { return IsTrue(EvalPlain(*stmt.condition, frame)) != stmt.until; };
    for (;;) {
        if (stmt.condition && !stmt.atEnd && !keepGoing())
            return Flow::Normal;
        if (std::optional<Flow> end = LoopBody(stmt.body, frame, Flow::ExitDo))
            return *end;
        if (stmt.condition && stmt.atEnd && !keepGoing())
            return Flow::Normal;
        CheckTimeLimit();
    }
}

Interpreter::Flow Interpreter::ExecWhile(const WhileStmt& stmt, Frame& frame)
{
    while (IsTrue(EvalPlain(*stmt.condition, frame))) {
        Flow flow = ExecBlock(stmt.body, frame);
        if (flow != Flow::Normal)
            return flow;
        CheckTimeLimit();
    }
    return Flow::Normal;
}

Interpreter::Flow Interpreter::ExecSelect(const SelectStmt& stmt, Frame& frame)
{
    Value subject = EvalPlain(*stmt.subject, frame);
    for (const auto& [values, body] : stmt.cases)
        for (const ExprPtr& v : values)
            if (IsTrue(ApplyBinary(Op::Eq, subject, EvalPlain(*v, frame))))
                return ExecBlock(body, frame);
    return ExecBlock(stmt.otherwise, frame);
}

void Interpreter::ExecDim(const DimStmt& stmt, Frame& frame)
{
    for (const DimStmt::Variable& v : stmt.variables) {
        // Dim declares in the current scope; ReDim resizes what the name finds.
        Slot* existing = stmt.kind == Stmt::Kind::ReDim ? FindSlot(v.symbol, frame) : nullptr;
        if (existing && existing->isConst)
            Raise(kIllegalAssignment);
        Slot& slot = existing ? *existing : DeclareSlot(v.symbol, frame);
        if (stmt.kind == Stmt::Kind::Dim && !v.isArray) {
            slot.defined = true;
            continue;
        }
        if (v.bounds.empty()) {
            slot.defined = true;
            continue;
        }
        std::vector<SAFEARRAYBOUND> bounds;
        for (const ExprPtr& b : v.bounds) {
            LONG upper = ToLong(EvalPlain(*b, frame));
            if (upper < -1 || upper > (1 << 24))
                Raise(kSubscriptOutOfRange);
            bounds.push_back({ULONG(upper + 1), 0});
        }
        Value fresh;
        fresh.parray = SafeArrayCreate(VT_VARIANT, UINT(bounds.size()), bounds.data());
        if (!fresh.parray)
            Raise(kOutOfMemory);
        fresh.vt = VT_ARRAY | VT_VARIANT;
        Value& target = slot.Get();
        size_t kept = 0;
        if (stmt.preserve && (target.vt & VT_ARRAY) && target.parray && bounds.size() == 1 &&
            target.parray->cDims == 1)
            kept = std::min(target.parray->rgsabound[0].cElements, bounds[0].cElements);
        MakeElements(fresh, kept, [&target](size_t i) {
            LONG index = LONG(i);
            return static_cast<const VARIANT*>(SafeArrayElementPointer(target.parray, &index));
        });
        target = std::move(fresh);
        slot.defined = true;
    }
}

void Interpreter::ExecConst(const ConstStmt& stmt, Frame& frame)
{
    for (const auto& [symbol, expr] : stmt.constants) {
        Slot& slot = DeclareSlot(symbol, frame);
        slot.value = EvalPlain(*expr, frame);
        slot.defined = true;
        slot.isConst = true;
    }
}

// ---- variables ----

Interpreter::Slot* Interpreter::FindSlot(Symbol symbol, Frame& frame)
{
    if (frame.procedure)
        for (auto& [s, slot] : frame.locals)
            if (s == symbol)
                return &slot;
    Slot& global = globals_[size_t(symbol)];
    return global.defined ? &global : nullptr;
}

Interpreter::Slot& Interpreter::DeclareSlot(Symbol symbol, Frame& frame)
{
    if (frame.procedure) {
        for (auto& [s, slot] : frame.locals)
            if (s == symbol)
                return slot;
        frame.locals.emplace_back(symbol, Slot{});
        Slot& slot = frame.locals.back().second;
        slot.defined = true;
        return slot;
    }
    Slot& slot = globals_[size_t(symbol)];
    slot.defined = true;
    return slot;
}

void Interpreter::Store(const NameExpr& name, Value value, Frame& frame)
{
    if (frame.procedure && frame.procedure->isFunction && name.symbol == frame.procedure->symbol) {
        frame.result = std::move(value);
        return;
    }
    Slot* slot = FindSlot(name.symbol, frame);
    if (!slot) {
        if (frame.optionExplicit || optionExplicit_)
            Raise(kVariableUndefined);
        if (name.symbol == errSymbol_ || procedures_.count(name.symbol))
            Raise(kIllegalAssignment);
        slot = &DeclareSlot(name.symbol, frame);
    }
    if (slot->isConst)
        Raise(kIllegalAssignment);
    slot->Get() = std::move(value);
}

// ---- expressions ----

Value Interpreter::Eval(const Expr& expr, Frame& frame)
{
    if (StackIsLow())
        Raise(kOutOfStackSpace);
    switch (expr.kind) {
    case Expr::Kind::Literal: return static_cast<const LiteralExpr&>(expr).value;
    case Expr::Kind::Name: return EvalName(static_cast<const NameExpr&>(expr), frame, false);
    case Expr::Kind::Member:
        return EvalMember(static_cast<const MemberExpr&>(expr), nullptr, frame, false);
    case Expr::Kind::Call: return EvalCall(static_cast<const CallExpr&>(expr), frame, false);
    case Expr::Kind::Unary: {
        auto& u = static_cast<const UnaryExpr&>(expr);
        if (u.op == Op::Paren)
            return Eval(*u.operand, frame);
        return ApplyUnary(u.op, EvalPlain(*u.operand, frame));
    }
    case Expr::Kind::Binary: {
        auto& b = static_cast<const BinaryExpr&>(expr);
        if (b.op == Op::Is) {
            Value x = Eval(*b.lhs, frame), y = Eval(*b.rhs, frame);
            if (!IsObject(x) || !IsObject(y))
                Raise(kObjectRequired);
            if (!x.pdispVal || !y.pdispVal)
                return Value(x.pdispVal == y.pdispVal);
            IUnknown *p = nullptr, *q = nullptr;
            x.pdispVal->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&p));
            y.pdispVal->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&q));
            bool same = p == q;
            if (p)
                p->Release();
            if (q)
                q->Release();
            return Value(same);
        }
        Value x = EvalPlain(*b.lhs, frame);
        return ApplyBinary(b.op, x, EvalPlain(*b.rhs, frame));
    }
    default: Raise(kSyntaxError);
    }
}

Value Interpreter::EvalPlain(const Expr& expr, Frame& frame)
{
    Value v = Eval(expr, frame);
    return IsObject(v) ? DefaultValue(v) : v;
}

Value Interpreter::DefaultValue(const Value& v)
{
    if (!v.pdispVal)
        Raise(kObjectNotSet);
    Value result = Invoke(v.pdispVal, nullptr, DISPATCH_PROPERTYGET | DISPATCH_METHOD, {}, nullptr);
    if (IsObject(result))
        Raise(kNoSuchMember);
    return result;
}

IDispatch* Interpreter::EvalObject(const Expr& expr, Frame& frame, Value& holder)
{
    holder = Eval(expr, frame);
    if (!IsObject(holder) || !holder.pdispVal)
        Raise(kObjectRequired);
    return holder.pdispVal;
}

std::vector<Value> Interpreter::EvalArgs(const std::vector<ExprPtr>& args, Frame& frame)
{
    std::vector<Value> values;
    values.reserve(args.size());
    for (const ExprPtr& a : args) {
        values.emplace_back();
        if (a)
            values.back() = Eval(*a, frame);
        else
            VariantSetMissing(&values.back());
    }
    return values;
}

Value Interpreter::EvalName(const NameExpr& name, Frame& frame, bool asStatement)
{
    if (Slot* slot = FindSlot(name.symbol, frame)) {
        if (asStatement && IsObject(slot->Get()) && slot->Get().pdispVal)
            return Invoke(slot->Get().pdispVal, nullptr, DISPATCH_METHOD, {}, nullptr);
        return CopyValue(slot->Get());
    }
    if (name.symbol == errSymbol_)
        return Value(static_cast<IDispatch*>(err_), true);
    auto p = procedures_.find(name.symbol);
    if (p != procedures_.end())
        return CallProcedure(*p->second, nullptr, {}, frame);
    const std::u16string& lower = symbols_.Name(name.symbol);
    if (const Builtin* b = FindBuiltin(lower)) {
        if (b->minArgs > 0)
            Raise(kWrongArgumentCount);
        std::vector<Value> none;
        return b->function(none);
    }
    Value constant;
    if (FindConstant(lower, &constant))
        return constant;
    if (asStatement)
        Raise(kTypeMismatch, "Type mismatch: '" + Utf8(name.name) + "'");
    if (frame.optionExplicit || optionExplicit_)
        Raise(kVariableUndefined);
    return Value();
}

Value Interpreter::EvalCall(const CallExpr& call, Frame& frame, bool asStatement)
{
    const Expr& target = *call.target;
    if (target.kind == Expr::Kind::Member)
        return EvalMember(static_cast<const MemberExpr&>(target), &call.args, frame, asStatement);
    if (target.kind != Expr::Kind::Name)
        return Index(Eval(target, frame), EvalArgs(call.args, frame), asStatement);
    auto& name = static_cast<const NameExpr&>(target);
    if (Slot* slot = FindSlot(name.symbol, frame)) {
        Value v = CopyValue(slot->Get());
        return Index(v, EvalArgs(call.args, frame), asStatement);
    }
    if (name.symbol == errSymbol_)
        return Index(Value(static_cast<IDispatch*>(err_), true), EvalArgs(call.args, frame), asStatement);
    auto p = procedures_.find(name.symbol);
    if (p != procedures_.end())
        return CallProcedure(*p->second, &call.args, {}, frame);
    if (const Builtin* b = FindBuiltin(symbols_.Name(name.symbol))) {
        std::vector<Value> args = EvalArgs(call.args, frame);
        if (args.size() < b->minArgs || args.size() > b->maxArgs)
            Raise(kWrongArgumentCount);
        for (const Value& a : args)
            if (VariantIsMissing(&a))
                Raise(kArgumentNotOptional);
        return b->function(args);
    }
    Raise(kTypeMismatch, "Type mismatch: '" + Utf8(name.name) + "'");
}

Value Interpreter::Index(const Value& target, std::vector<Value> args, bool asStatement)
{
    if (IsObject(target)) {
        if (!target.pdispVal)
            Raise(kObjectRequired);
        WORD flags = asStatement ? DISPATCH_METHOD : DISPATCH_METHOD | DISPATCH_PROPERTYGET;
        return Invoke(target.pdispVal, nullptr, flags, std::move(args), nullptr);
    }
    if (!(target.vt & VT_ARRAY) || !target.parray) {
        if (args.empty())
            return target;
        Raise(kTypeMismatch);
    }
    std::vector<LONG> indices = Subscripts(target.parray, args);
    auto* element = static_cast<VARIANT*>(SafeArrayElementPointer(target.parray, indices.data()));
    if (!element)
        Raise(kSubscriptOutOfRange);
    return CopyValue(*element);
}

Value Interpreter::EvalMember(const MemberExpr& member, const std::vector<ExprPtr>* args,
                              Frame& frame, bool asStatement)
{
    Value holder;
    IDispatch* object = EvalObject(*member.base, frame, holder);
    std::vector<Value> values = args ? EvalArgs(*args, frame) : std::vector<Value>{};
    WORD flags = asStatement ? DISPATCH_METHOD : DISPATCH_METHOD | DISPATCH_PROPERTYGET;
    return Invoke(object, &member.name, flags, std::move(values), nullptr);
}

// ---- calls ----

Value Interpreter::CallProcedure(const Procedure& procedure, const std::vector<ExprPtr>* argExprs,
                                 std::vector<Value> argValues, Frame& caller)
{
    size_t count = argExprs ? argExprs->size() : argValues.size();
    if (count != procedure.params.size())
        Raise(kWrongArgumentCount);
    if (depth_ >= kMaxCallDepth)
        Raise(kOutOfStackSpace);
    Frame frame;
    frame.procedure = &procedure;
    frame.module = procedure.module;
    frame.locals.reserve(procedure.params.size() + 8);
    for (size_t i = 0; i < count; ++i) {
        Slot slot;
        slot.defined = true;
        const Expr* e = argExprs ? (*argExprs)[i].get() : nullptr;
        if (argExprs && !e)
            Raise(kArgumentNotOptional);
        if (e && procedure.params[i].byRef && e->kind == Expr::Kind::Name) {
            Slot* source = FindSlot(static_cast<const NameExpr&>(*e).symbol, caller);
            if (source && !source->isConst)
                slot.ref = &source->Get();
        }
        if (!slot.ref)
            slot.value = e ? Eval(*e, caller) : std::move(argValues[i]);
        frame.locals.emplace_back(procedure.params[i].symbol, std::move(slot));
    }
    ++depth_;
    struct DepthGuard {
        int& depth;
        ~DepthGuard() { --depth; }
    } guard{depth_};
    ExecBlock(procedure.body, frame);
    return std::move(frame.result);
}

Value Interpreter::Invoke(IDispatch* object, const std::u16string* name, WORD flags,
                          std::vector<Value> args, const Value* putValue)
{
    DISPID id = DISPID_VALUE;
    if (name) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name->c_str())};
        if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)))
            Raise(kNoSuchMember);
    }
    // Arguments travel last first; a put's value goes in front, named.
    std::vector<VARIANT> rgvarg;
    rgvarg.reserve(args.size() + 1);
    if (putValue)
        rgvarg.push_back(*putValue);
    for (size_t i = args.size(); i-- > 0;)
        rgvarg.push_back(args[i]);
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params = {rgvarg.data(), putValue ? &putId : nullptr, UINT(rgvarg.size()),
                         putValue ? 1u : 0u};
    Value result;
    EXCEPINFO info{};
    HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                putValue ? nullptr : &result, &info, nullptr);
    if (FAILED(hr) && putValue && flags == DISPATCH_PROPERTYPUTREF && hr == DISP_E_MEMBERNOTFOUND)
        hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params,
                            nullptr, &info, nullptr);
    if (FAILED(hr))
        RaiseFromCall(object, hr, info);
    return result;
}

void Interpreter::RaiseFromCall(IDispatch* object, HRESULT hr, EXCEPINFO& info)
{
    RuntimeError e;
    if (hr == DISP_E_EXCEPTION) {
        if (info.pfnDeferredFillIn)
            info.pfnDeferredFillIn(&info);
        if (object == static_cast<IDispatch*>(err_))
            if (std::optional<Error> raised = err_->TakeRaised())
                e.error = *raised;
        if (e.error.number == 0) {
            HRESULT code = info.scode ? info.scode : (info.wCode ? HResultOfError(info.wCode) : E_FAIL);
            e.error.number = ErrorOfHResult(code);
            e.error.description = Utf8FromBstr(info.bstrDescription);
            e.error.source = Utf8FromBstr(info.bstrSource);
        }
    } else {
        e.error.number = ErrorOfHResult(hr);
    }
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrHelpFile);
    if (e.error.description.empty())
        e.error.description = e.error.number == hr ? _com_error(hr).ErrorMessage()
                                                   : DescribeError(e.error.number);
    if (e.error.source.empty())
        e.error.source = kRuntimeSource;
    throw e;
}

}  // namespace vbs
