// The pages' JavaScript and its Node tests: ESLint's recommended rules, with
// the layout left to Prettier.
import js from '@eslint/js';
import prettier from 'eslint-config-prettier';
import globals from 'globals';

export default [
    js.configs.recommended,
    {
        files: ['src/web/js/**/*.js'],
        languageOptions: {globals: globals.browser},
    },
    {
        files: ['tests/web/**/*.mjs', 'tools/web-lint/*.mjs'],
        languageOptions: {globals: globals.node},
    },
    prettier,
];
