#pragma once
// Every Qt Test class of this folder registers itself here; the one main runs them all.

#include <QObject>

#include <functional>
#include <memory>
#include <vector>

namespace vaskor::test {

using FabriqueTest = std::function<std::unique_ptr<QObject>()>;
std::vector<FabriqueTest>& TestsQt();

template <typename T>
struct EnregistrementTestQt {
    EnregistrementTestQt() { TestsQt().push_back([] { return std::make_unique<T>(); }); }
};

}  // namespace vaskor::test

#define VASKOR_TEST_QT(Classe) static const vaskor::test::EnregistrementTestQt<Classe> enregistrement_##Classe;
