#include "cli/commande.h"
#include "platform/base/signaux_fin.h"

#include <iostream>
#include <unistd.h>

int main(int argc, char** argv)
{
    vaskor::InterdireVidageMemoire();
    vaskor::SurvivreAuxTubesFermes();
    std::ios::sync_with_stdio(false);
    std::vector<std::string> args(argv + 1, argv + argc);
    const int r = vaskor::cli::Executer(args, std::cin, std::cout, std::cerr, ::isatty(STDIN_FILENO) == 1);
    std::cout.flush();
    return r;
}
