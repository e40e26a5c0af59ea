// Runs parsed programs. Modules are added one after another into one global
// scope; a module's global statements run when it is added. Procedures of
// all modules can be called by name afterwards.
#pragma once

#include "platform/script/VbsAst.h"
#include "platform/script/VbsErrors.h"
#include "platform/script/VbsSymbols.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace vbs {

using Value = _variant_t;
class ErrObject;

class Interpreter {
public:
    Interpreter();
    ~Interpreter();
    Interpreter(const Interpreter&) = delete;
    Interpreter& operator=(const Interpreter&) = delete;

    // Compiles the code, then runs its global statements. False with
    // Failure() set: a compile error (nothing ran) or a run-time error the
    // code did not skip.
    bool AddCode(std::u16string_view code);
    // Calls a procedure of the added code (name ignoring case).
    bool Run(std::u16string_view name, std::vector<Value> args, Value* result);
    // Evaluates one expression in the global scope.
    bool Eval(std::u16string_view expression, Value* result);
    void AddObject(std::u16string_view name, IDispatch* object);
    const Error& Failure() const { return failure_; }
    // Milliseconds; -1 or 0 for no limit.
    void SetTimeout(LONG milliseconds) { timeout_ = milliseconds; }
    const std::vector<std::shared_ptr<Procedure>>& Procedures() const { return order_; }

private:
    struct Slot {
        Value value;
        Value* ref = nullptr;  // a ByRef parameter's caller variable
        bool defined = false;
        bool isConst = false;
        Value& Get() { return ref ? *ref : value; }
    };
    struct Frame {
        const Procedure* procedure = nullptr;
        std::vector<std::pair<Symbol, Slot>> locals;
        Value result;
        bool resumeNext = false;
        size_t module = 0;
        bool optionExplicit = false;
    };
    enum class Flow { Normal, ExitDo, ExitFor, ExitProcedure };
    // The text of an added module that error reports quote: all of it (the
    // caller's) while it is being added, afterwards the lines its procedures
    // span, from line `first` on.
    struct ModuleText {
        explicit ModuleText(std::u16string_view text) : whole(text) {}
        std::u16string_view whole;
        std::u16string kept;
        LONG first = 0;
        std::u16string_view Line(LONG line) const;
        // Drops the caller's text when the call that lent it ends, however
        // it ends (Keep, when reached, has already taken what stays).
        struct Lent {
            ModuleText& text;
            ~Lent() { text.whole = {}; }
        };
        void Keep(const std::vector<std::shared_ptr<Procedure>>& procedures);
    };

    bool RunGuarded(const std::function<void()>& body);
    bool Register(const Program& program, size_t module);
    void Fill(Error& error, size_t module);

    // statements
    Flow ExecBlock(const Block& block, Frame& frame);
    Flow ExecTrapped(const Stmt& stmt, Frame& frame);
    std::optional<Flow> LoopBody(const Block& body, Frame& frame, Flow exit);
    Flow Exec(const Stmt& stmt, Frame& frame);
    void ExecAssign(const AssignStmt& stmt, Frame& frame);
    void ExecCall(const CallStmt& stmt, Frame& frame);
    Flow ExecIf(const IfStmt& stmt, Frame& frame);
    Flow ExecFor(const ForStmt& stmt, Frame& frame);
    Flow ExecForEach(const ForEachStmt& stmt, Frame& frame);
    Flow ExecDo(const DoStmt& stmt, Frame& frame);
    Flow ExecWhile(const WhileStmt& stmt, Frame& frame);
    Flow ExecSelect(const SelectStmt& stmt, Frame& frame);
    void ExecDim(const DimStmt& stmt, Frame& frame);
    void ExecConst(const ConstStmt& stmt, Frame& frame);
    void ExecOnError(const OnErrorStmt& stmt, Frame& frame);

    // expressions
    Value Eval(const Expr& expr, Frame& frame);
    Value EvalPlain(const Expr& expr, Frame& frame);  // objects become default values
    Value EvalName(const NameExpr& name, Frame& frame, bool asStatement);
    Value EvalCall(const CallExpr& call, Frame& frame, bool asStatement);
    Value EvalMember(const MemberExpr& member, const std::vector<ExprPtr>* args, Frame& frame,
                     bool asStatement);
    IDispatch* EvalObject(const Expr& expr, Frame& frame, Value& holder);
    std::vector<Value> EvalArgs(const std::vector<ExprPtr>& args, Frame& frame);
    Value Index(const Value& target, std::vector<Value> args, bool asStatement);
    Value DefaultValue(const Value& v);

    // variables and calls
    Slot* FindSlot(Symbol symbol, Frame& frame);
    Slot& DeclareSlot(Symbol symbol, Frame& frame);
    void Store(const NameExpr& name, Value value, Frame& frame);
    Value CallProcedure(const Procedure& procedure, const std::vector<ExprPtr>* argExprs,
                        std::vector<Value> argValues, Frame& caller);
    Value Invoke(IDispatch* object, const std::u16string* name, WORD flags,
                 std::vector<Value> args, const Value* putValue);
    [[noreturn]] void RaiseFromCall(IDispatch* object, HRESULT hr, EXCEPINFO& info);
    void SetErr(const Error& error);

    SymbolTable symbols_;
    std::vector<Slot> globals_;
    std::unordered_map<Symbol, std::shared_ptr<Procedure>> procedures_;
    std::vector<std::shared_ptr<Procedure>> order_;
    std::vector<ModuleText> modules_;
    ErrObject* err_;
    Symbol errSymbol_;
    Error failure_;
    LONG timeout_ = -1;
    int depth_ = 0;
    bool optionExplicit_ = false;
};

}  // namespace vbs
