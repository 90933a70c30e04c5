#include "cli/commande.h"

#include <iostream>

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    std::vector<std::string> args(argv + 1, argv + argc);
    const int r = vaskor::cli::Executer(args, std::cin, std::cout, std::cerr);
    std::cout.flush();
    return r;
}
