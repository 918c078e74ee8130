#pragma once
// The feature state objects are made once by the program (or a test) and
// live on the main thread for the whole run; QML reaches each as a singleton,
// whose create() hands out the one that was made (QML never makes another).
#include <QJSEngine>

class QQmlEngine;

template <class T>
class OneInstance {
public:
    // For QML: the instance the program made, kept by C++.
    static T* create(QQmlEngine*, QJSEngine*)
    {
        if (made_)
            QJSEngine::setObjectOwnership(made_, QJSEngine::CppOwnership);
        return made_;
    }

protected:
    explicit OneInstance(T* self) : self_(self) { made_ = self; }
    ~OneInstance()
    {
        if (made_ == self_)
            made_ = nullptr;
    }
    OneInstance(const OneInstance&) = delete;
    OneInstance& operator=(const OneInstance&) = delete;

    // Sets a published field and emits its signal, only on a real change.
    template <class Field, class Value>
    bool assign(Field& field, const Value& value, void (T::*changed)())
    {
        if (field == value)
            return false;
        field = value;
        emit(self_->*changed)();
        return true;
    }

private:
    T* self_;
    inline static T* made_ = nullptr;
};
