#pragma once

// The warnings before a call is answered, kept in Options.ini, group "Warnings".
struct Warnings {
    // A call from abroad (010 …, + …) not in the phonebook is warned of as "国際電話".
    bool InternationalCalls = true;
    // A call taken for a nuisance is shown without its ring ("迷惑電話は鳴らさない").
    bool SilenceMarked = false;

    // As the file has them (the defaults where it has none).
    static Warnings read();
    // False, with the file as it was, when it could not be written.
    bool write() const;
};
